// The support services for host-built tools: messages go to standard error,
// status texts to standard output, the progress bar nowhere. Both texts may
// carry names read from an archive, so they reach the terminal with every
// byte outside printable ASCII shown as '?'; the log keeps them as they are.
#include "support/support.h"
#include "support/support_console.h"
#include "support/support_platform.h"

#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

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

void CopyPrintable(char *buffer, size_t size, const char *text)
{
    size_t length = 0;
    for (; text[length] != '\0' && length + 1 < size; length++) {
        unsigned char c = (unsigned char)text[length];
        buffer[length] = (char)(c >= 0x20 && c < 0x7F ? c : '?');
    }
    buffer[length] = '\0';
}

int ShowMessageText(const char *text)
{
    // Standard error is unbuffered: the line goes out in one write.
    char shown[MessageTextSize];
    CopyPrintable(shown, sizeof shown, text);
    fprintf(stderr, "%s\n", shown);
    return 1;  // IDOK
}

void ShowStatusText(const char *text)
{
    if (!ConsoleShowStatus)
        return;
    char shown[StatusTextSize];
    CopyPrintable(shown, sizeof shown, text);
    printf("%s\n", shown);
}

void StartProgress(uint32_t total, uint32_t step)
{
    (void)total;
    (void)step;
}

void StepProgress(void)
{
}

int PathExists(const char *path)
{
    struct stat info;
    return stat(path, &info) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

int DeleteFileAt(const char *path)
{
    return unlink(path) == 0;
}

int RemoveEmptyFolder(const char *path)
{
    return rmdir(path) == 0;
}
