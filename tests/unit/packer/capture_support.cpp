// The support services for the packer's tests: every message is kept so
// that a test can assert that decoding showed none ("Bad table" included).
#include "tests/unit/packer/capture_support.h"

#include "shell/support.h"
#include "shell/support_platform.h"

std::vector<std::string> CapturedMessages;

void WriteLogLine(const char *) {}

int ShowMessageText(const char *text)
{
    CapturedMessages.push_back(text);
    return 1;
}

void ShowStatusText(const char *) {}
void StartProgress(uint32_t, uint32_t) {}
void StepProgress(void) {}
