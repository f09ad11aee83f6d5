// Support services for the fuzzer: nothing is shown, logged or printed.
#include "shell/support.h"

void SetupLog(const char *, ...) {}

int MessageBoxFormat(const char *, ...)
{
    return 1;
}

void SetStatusText(const char *, ...) {}

void StartProgress(uint32_t, uint32_t) {}

void StepProgress(void) {}
