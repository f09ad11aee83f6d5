#include "tests/support/capture_support.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/support.h"
#include "support/support_platform.h"

std::vector<std::string> SupportEvents;
int SupportCapturing = 1;
unsigned SupportMessageCount;

static void Record(const std::string &event)
{
    if (SupportCapturing)
        SupportEvents.push_back(event);
}

// The platform beneath the formatted services: each text arrives formatted
// and cut to its buffer, exactly as the installer would show it.
void WriteLogLine(const char *line)
{
    Record(std::string("log: ") + line);
}

int ShowMessageText(const char *text)
{
    SupportMessageCount++;
    Record(std::string("message: ") + text);
    return 1;
}

void ShowStatusText(const char *text)
{
    Record(std::string("status: ") + text);
}

void StartProgress(uint32_t total, uint32_t step)
{
    Record("progress: " + std::to_string(total) + "/" + std::to_string(step));
}

void StepProgress(void)
{
    Record("step");
}

// The file operations act on the host's files for real, and the deletions
// and removals are recorded with their outcome.
int PathExists(const char *path)
{
    struct stat info;
    return stat(path, &info) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

int DeleteFileAt(const char *path)
{
    int deleted = unlink(path) == 0;
    Record(std::string(deleted ? "delete: " : "delete failed: ") + path);
    return deleted;
}

int RemoveEmptyFolder(const char *path)
{
    int removed = rmdir(path) == 0;
    Record(std::string(removed ? "rmdir: " : "rmdir failed: ") + path);
    return removed;
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
