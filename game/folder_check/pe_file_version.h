// Reads the file version from the version record of a Windows program or
// DLL (a PE file), as Windows' own version functions report it.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Finds the version resource in the PE image image[0..size) and stores the
// fixed file-version words (major << 16 | minor, build << 16 | revision).
// Returns NULL on success, else a short reason why no version can be read.
// Every offset taken from the file is checked against size.
const char *ReadPeFileVersion(const uint8_t *image, size_t size, uint32_t *versionMs, uint32_t *versionLs);
