// The support services for host-built tools: messages go to standard error,
// status texts to standard output, the progress bar nowhere.
#include "shell/support.h"
#include "shell/support_console.h"
#include "shell/text_format.h"

#include <stdarg.h>
#include <stdio.h>

const char *ConsoleLogPath = NULL;
int ConsoleShowStatus = 1;
static int LogFirstWrite = 1;

void SetupLog(const char *format, ...)
{
    char line[LogLineSize];
    va_list args;
    va_start(args, format);
    FormatTextV(line, sizeof line, format, args);
    va_end(args);

    if (ConsoleLogPath == NULL)
        return;
    const char *mode = LogFirstWrite ? "wb" : "ab";
    LogFirstWrite = 0;
    FILE *log = fopen(ConsoleLogPath, mode);
    if (log == NULL)
        return;
    fprintf(log, "%s\r\n", line);
    fclose(log);
}

int MessageBoxFormat(const char *format, ...)
{
    char text[MessageTextSize];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof text, format, args);
    va_end(args);
    fprintf(stderr, "%s\n", text);
    return 1;  // IDOK
}

void SetStatusText(const char *format, ...)
{
    char text[StatusTextSize];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof text, format, args);
    va_end(args);
    if (ConsoleShowStatus)
        printf("%s\n", text);
}

void StartProgress(uint32_t total, uint32_t step)
{
    (void)total;
    (void)step;
}

void StepProgress(void)
{
}
