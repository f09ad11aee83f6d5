// Support services for the benchmark: nothing is shown or logged, so that
// only decoding is timed. Messages are counted; the benchmark reports them.
#include "shell/support.h"

int QuietMessageCount;

void SetupLog(const char *, ...) {}

int MessageBoxFormat(const char *, ...)
{
    QuietMessageCount++;
    return 1;
}

void SetStatusText(const char *, ...) {}

void StartProgress(uint32_t, uint32_t) {}

void StepProgress(void) {}
