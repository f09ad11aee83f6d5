#include "install/driver_update.h"

#include <windows.h>

#include "install/driver_version.h"
#include "support/program_constants.h"
#include "support/settings.h"
#include "support/support.h"
#include "support/system_libraries.h"
#include "support/text_format.h"

static const char DriverFileName[] = "MGLDIB.DRV";

// Logs why the installed driver cannot be checked, and says so in problem.
static void TellUncheckedDriver(const char *why, char *problem, size_t problemSize)
{
    SetupLog("%s", why);
    FormatText(problem, problemSize,
               "the display driver in the system folder could not be checked (%s)", why);
}

// Reads the most significant file-version word of the driver at path.
// Returns 1, or 0 after logging why the version cannot be read.
static int ReadDriverVersion(const char *path, uint32_t *fileVersionMS, char *problem,
                             size_t problemSize)
{
    DWORD handle = 0;
    DWORD size = SystemFileVersionInfoSize(path, &handle);
    if (size == 0) {
        TellUncheckedDriver("No version info available", problem, problemSize);
        return 0;
    }
    void *record = HeapAlloc(GetProcessHeap(), 0, size);
    if (record == NULL) {
        TellUncheckedDriver("Out of Memory!", problem, problemSize);
        return 0;
    }
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT fixedLength = 0;
    int found = SystemFileVersionInfo(path, handle, size, record) &&
                SystemVerQueryValue(record, "\\", (void **)&fixed, &fixedLength) &&
                fixed != NULL && fixedLength != 0;
    if (found)
        *fileVersionMS = fixed->dwFileVersionMS;
    else
        TellUncheckedDriver("Version information not available", problem, problemSize);
    HeapFree(GetProcessHeap(), 0, record);
    return found;
}

// Copies the unpacked driver over the system one. A failed copy is logged,
// never reported as an update.
static int CopyDriver(const char *unpacked, const char *installed, char *problem,
                      size_t problemSize)
{
    if (CopyFileA(unpacked, installed, FALSE))
        return 1;
    SetupLog("unable to copy the MGLDIB.DRV");
    FormatText(problem, problemSize, "the display driver could not be copied into the system folder");
    return 0;
}

int UpdateDisplayDriver(char *problem, size_t problemSize)
{
    char installed[PathBufferSize + 1] = "";  // room for AppendPath's second zero
    char unpacked[PathBufferSize + 1];
    UINT length = GetSystemDirectoryA(installed, sizeof installed);
    CopyText(unpacked, sizeof unpacked, InstallFolder);
    if (length == 0 || length >= sizeof installed ||
        !AppendPath(installed, sizeof installed, DriverFileName) ||
        !AppendPath(unpacked, sizeof unpacked, DriverFileName)) {
        SetupLog("unable to find the system folder for the MGLDIB.DRV");
        FormatText(problem, problemSize, "the system folder could not be found");
        return 0;
    }

    // Only "no such file" counts as no driver: one that cannot be looked at
    // is treated as there, and its version is then read.
    if (!PathExists(installed)) {
        if (!CopyDriver(unpacked, installed, problem, problemSize))
            return 0;
    } else {
        uint32_t fileVersionMS;
        if (!ReadDriverVersion(installed, &fileVersionMS, problem, problemSize))
            return 0;
        if (DriverNeedsReplacing(fileVersionMS)) {
            if (!CopyDriver(unpacked, installed, problem, problemSize))
                return 0;
            SetupLog("updated the MGLDIB.DRV");
        }
    }
    DeleteFileA(unpacked);
    return 1;
}
