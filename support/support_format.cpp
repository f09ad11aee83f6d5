// The formatted support services, shared by every implementation of the
// platform beneath them (support_platform.h): each text is formatted into
// its fixed buffer, cut where it does not fit, and handed on complete.
#include "support/support.h"

#include <stdarg.h>

#include "support/support_platform.h"
#include "support/text_format.h"

void SetupLog(const char *format, ...)
{
    char line[LogLineSize];
    va_list args;
    va_start(args, format);
    FormatTextV(line, sizeof line, format, args);
    va_end(args);
    WriteLogLine(line);
}

int LogShownMessages;

int MessageBoxFormat(const char *format, ...)
{
    char text[MessageTextSize];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof text, format, args);
    va_end(args);
    if (LogShownMessages) {
        // One log line per message, whatever line feeds the text holds.
        char line[MessageTextSize];
        size_t i = 0;
        for (; text[i] != '\0'; i++)
            line[i] = text[i] == '\n' ? ' ' : text[i];
        line[i] = '\0';
        WriteLogLine(line);
    }
    return ShowMessageText(text);
}

void SetStatusText(const char *format, ...)
{
    char text[StatusTextSize];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof text, format, args);
    va_end(args);
    ShowStatusText(text);
}
