#include "support/text_format.h"

#include <stdio.h>
#include <string.h>

size_t FormatTextV(char *buffer, size_t size, const char *format, va_list args)
{
    if (size == 0)
        return 0;
    // Some C runtimes leave a cut text unterminated; terminate it ourselves.
    vsnprintf(buffer, size, format, args);
    buffer[size - 1] = '\0';
    return strlen(buffer);
}

size_t FormatText(char *buffer, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    size_t length = FormatTextV(buffer, size, format, args);
    va_end(args);
    return length;
}

int CopyText(char *buffer, size_t size, const char *source)
{
    size_t length = strlen(source);
    if (size == 0)
        return 0;
    if (length >= size) {
        buffer[0] = '\0';
        return 0;
    }
    memcpy(buffer, source, length + 1);
    return 1;
}

int AddTrailingBackslash(char *folder, size_t size)
{
    size_t length = strlen(folder);
    if (length <= 1 || folder[length - 1] == '\\')
        return 1;
    if (length + 2 > size)
        return 0;
    folder[length] = '\\';
    folder[length + 1] = '\0';
    return 1;
}
