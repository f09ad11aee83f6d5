#include "tests/unit/archive/capture_support.h"

#include <stdarg.h>
#include <stdio.h>

#include "shell/support.h"

std::vector<std::string> SupportEvents;

static void Record(const char *prefix, const char *format, va_list args)
{
    char text[1024];
    vsnprintf(text, sizeof text, format, args);
    SupportEvents.push_back(std::string(prefix) + text);
}

void SetupLog(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    Record("log: ", format, args);
    va_end(args);
}

int MessageBoxFormat(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    Record("message: ", format, args);
    va_end(args);
    return 1;
}

void SetStatusText(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    Record("status: ", format, args);
    va_end(args);
}

void StartProgress(uint32_t total, uint32_t step)
{
    SupportEvents.push_back("progress: " + std::to_string(total) + "/" + std::to_string(step));
}

void StepProgress(void)
{
    SupportEvents.push_back("step");
}

std::vector<std::string> EventsOf(const std::string &prefix)
{
    std::vector<std::string> found;
    for (const std::string &event : SupportEvents) {
        if (event.compare(0, prefix.size(), prefix) == 0)
            found.push_back(event.substr(prefix.size()));
    }
    return found;
}

int CountEvents(const std::string &event)
{
    int count = 0;
    for (const std::string &e : SupportEvents)
        count += e == event;
    return count;
}
