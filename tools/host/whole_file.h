// Reading a whole file, for the build tools, the tests and the benchmark
// (plain C stdio: it builds on the host and in the Windows trees alike).
#pragma once

#include <stdint.h>

#include <vector>

// Appends the bytes of the file at path to bytes. Returns 1, or 0 (errno
// set) when the file cannot be opened or read.
int ReadWholeFile(const char *path, std::vector<uint8_t> *bytes);
