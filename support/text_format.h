// Bounded printf-style formatting into fixed buffers.
#pragma once

#include <stdarg.h>
#include <stddef.h>

// Formats into buffer (size bytes, size > 0). A text that does not fit is
// cut at the buffer's end; the result is always zero-terminated. Returns the
// length of the text stored.
size_t FormatTextV(char *buffer, size_t size, const char *format, va_list args);
size_t FormatText(char *buffer, size_t size, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// Copies source into buffer (size bytes). Returns 1, or 0 with buffer set to
// the empty text when source and its terminator do not fit.
int CopyText(char *buffer, size_t size, const char *source);

// Completes a folder text with a trailing backslash when it is longer than
// one character and does not already end in one (a trailing slash gets a
// backslash after it). Returns 1, or 0 with folder unchanged when the
// backslash and the terminator would not fit in size bytes.
int AddTrailingBackslash(char *folder, size_t size);
