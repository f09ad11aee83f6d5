// A test fixture for the archive reader: a fresh folder per test as the
// install folder (with its trailing separator), captured support events,
// an empty replacement-name input, and an extraction helper that hands the
// reader an exact-size heap copy of the archive so that any read past its
// end is caught by AddressSanitizer.
#pragma once

#include <stdio.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/unit/archive/archive_builder.h"

class ArchiveFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs ExtractArchive over an exact-size copy of archive.
    int Extract(const Bytes &archive, uint16_t limit = 28);

    // Replacement names that the reader will read, one per line.
    void SetReplacementInput(const std::string &text);

    std::string PathOf(const std::string &name) const { return folder + name; }
    Bytes FileOf(const std::string &name, bool *exists = nullptr) const
    {
        return FileBytes(PathOf(name), exists);
    }
    bool Exists(const std::string &name) const;

    std::string folder;          // ends with '/'
    FILE *replacementInput = nullptr;
};
