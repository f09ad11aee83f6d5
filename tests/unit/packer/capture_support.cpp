// The support services for the packer's tests: every message is kept so
// that a test can assert that decoding showed none ("Bad table" included).
#include "tests/unit/packer/capture_support.h"

#include <stdarg.h>
#include <stdio.h>

#include "shell/support.h"

std::vector<std::string> CapturedMessages;

static std::string FormatToString(const char *format, va_list args)
{
    char text[MessageTextSize];
    vsnprintf(text, sizeof text, format, args);
    return text;
}

void SetupLog(const char *, ...) {}

int MessageBoxFormat(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    CapturedMessages.push_back(FormatToString(format, args));
    va_end(args);
    return 1;
}

void SetStatusText(const char *, ...) {}
void StartProgress(uint32_t, uint32_t) {}
void StepProgress(void) {}
