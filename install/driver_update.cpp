#include "install/driver_update.h"

#include <windows.h>

#include "install/driver_version.h"
#include "support/program_constants.h"
#include "support/settings.h"
#include "support/support.h"
#include "support/system_libraries.h"
#include "support/text_format.h"

static const char DriverFileName[] = "MGLDIB.DRV";

// Reads the most significant file-version word of the driver at path.
// Returns 1, or 0 after logging why the version cannot be read.
static int ReadDriverVersion(const char *path, uint32_t *fileVersionMS)
{
    DWORD handle = 0;
    DWORD size = SystemFileVersionInfoSize(path, &handle);
    if (size == 0) {
        SetupLog("No version info available");
        return 0;
    }
    void *record = HeapAlloc(GetProcessHeap(), 0, size);
    if (record == NULL) {
        SetupLog("Out of Memory!");
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
        SetupLog("Version information not available");
    HeapFree(GetProcessHeap(), 0, record);
    return found;
}

// Copies the unpacked driver over the system one. A failed copy is logged,
// never reported as an update.
static int CopyDriver(const char *unpacked, const char *installed)
{
    if (CopyFileA(unpacked, installed, FALSE))
        return 1;
    SetupLog("unable to copy the MGLDIB.DRV");
    return 0;
}

// Whether a file lies at path. Only "no such file or folder" counts as
// absent: any other failure to look (a denied right, say) counts as a file
// there, whose version the caller then tries to read.
static int DriverIsInstalled(const char *path)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return 1;
    DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

int UpdateDisplayDriver(void)
{
    char installed[PathBufferSize + 1] = "";  // room for AppendPath's second zero
    char unpacked[PathBufferSize + 1];
    UINT length = GetSystemDirectoryA(installed, sizeof installed);
    if (length == 0 || length >= sizeof installed)
        return 0;
    CopyText(unpacked, sizeof unpacked, InstallFolder);
    if (!AppendPath(installed, sizeof installed, DriverFileName) ||
        !AppendPath(unpacked, sizeof unpacked, DriverFileName))
        return 0;

    if (!DriverIsInstalled(installed)) {
        if (!CopyDriver(unpacked, installed))
            return 0;
    } else {
        uint32_t fileVersionMS;
        if (!ReadDriverVersion(installed, &fileVersionMS))
            return 0;
        if (DriverNeedsReplacing(fileVersionMS)) {
            if (!CopyDriver(unpacked, installed))
                return 0;
            SetupLog("updated the MGLDIB.DRV");
        }
    }
    DeleteFileA(unpacked);
    return 1;
}
