// Support services for the fuzzer: nothing is shown, logged or printed.
#include "shell/support.h"
#include "shell/support_platform.h"

void WriteLogLine(const char *) {}

int ShowMessageText(const char *)
{
    return 1;
}

void ShowStatusText(const char *) {}

void StartProgress(uint32_t, uint32_t) {}

void StepProgress(void) {}
