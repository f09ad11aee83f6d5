// Runs the installer's -lh5- decoder directly over a packed stream, as the
// extractor does: calls of at most 8192 bytes into WindowBuffer. The stream
// is copied into a heap buffer of exactly its size, so that AddressSanitizer
// stops any read past its end.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

struct DecodeRun {
    std::vector<uint8_t> output;
    size_t cursorAfterFirstCall = 0;   // ArchiveCursor - start
    size_t cursorAtEnd = 0;
    size_t remainingAtEnd = 0;         // PackedRemaining
};

DecodeRun DecodeStream(const std::vector<uint8_t> &stream, size_t size);
