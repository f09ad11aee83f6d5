// Support services for the benchmark: nothing is shown or logged, so that
// only decoding is timed. Messages are counted; the benchmark reports them.
#include "shell/support.h"
#include "shell/support_platform.h"

int QuietMessageCount;

void WriteLogLine(const char *) {}

int ShowMessageText(const char *)
{
    QuietMessageCount++;
    return 1;
}

void ShowStatusText(const char *) {}

void StartProgress(uint32_t, uint32_t) {}

void StepProgress(void) {}
