// The support services for host-built tools: messages go to standard error,
// status texts to standard output, the progress bar nowhere.
#include "shell/support.h"
#include "shell/support_console.h"
#include "shell/support_platform.h"

#include <stdio.h>

const char *ConsoleLogPath = NULL;
int ConsoleShowStatus = 1;
static int LogFirstWrite = 1;

void WriteLogLine(const char *line)
{
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

int ShowMessageText(const char *text)
{
    fprintf(stderr, "%s\n", text);
    return 1;  // IDOK
}

void ShowStatusText(const char *text)
{
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
