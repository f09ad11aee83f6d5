// The install sequence behind the Install caption.
#include "install/install_sequence.h"

#include <windows.h>
#include <shellapi.h>

#include "archive/archive_reader.h"
#include "install/driver_update.h"
#include "install/folder_dialog.h"
#include "install/game_data.h"
#include "shell/program_constants.h"
#include "shell/shell_state.h"
#include "shell/support.h"
#include "shell/text_format.h"
#include "system/program_group.h"
#include "system/settings.h"

// Makes the install folder exist, with every missing folder above it, by
// having the shell copy WIN.INI into it as "QOLT.INI" and deleting that
// copy again. A folder that already exists is left alone, so that a file of
// the user's named "QOLT.INI" survives. Returns 1 when the folder exists.
static int MakeInstallFolder(void)
{
    DWORD attributes = GetFileAttributesA(InstallFolder);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 1;

    // Both paths end with two zero bytes: the shell takes lists of paths.
    char windowsIni[PathBufferSize + 1] = "";
    char probe[PathBufferSize + 1];
    UINT length = GetWindowsDirectoryA(windowsIni, PathBufferSize);
    if (length == 0 || length >= PathBufferSize)
        return 0;
    if (!AppendPath(windowsIni, sizeof windowsIni, "WIN.INI"))
        return 0;
    CopyText(probe, sizeof probe, InstallFolder);
    if (!AppendPath(probe, sizeof probe, "QOLT.INI"))
        return 0;

    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = MainWindow;
    operation.wFunc = FO_COPY;
    operation.pFrom = windowsIni;
    operation.pTo = probe;
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
    if (SHFileOperationA(&operation) != 0)
        return 0;

    operation.wFunc = FO_DELETE;
    operation.pFrom = probe;
    operation.pTo = NULL;
    SHFileOperationA(&operation);
    return 1;
}

// Returns 0, after telling the user, when the drive of InstallFolder has
// less than needed bytes free; 1 otherwise, also when the free space cannot
// be read (the user is told that too, and the install goes on).
static int CheckDiskSpace(uint32_t needed)
{
    // The drive root: the folder's first two characters and a backslash.
    char root[4];
    size_t i = 0;
    while (i < 2 && InstallFolder[i] != '\0') {
        root[i] = InstallFolder[i];
        i++;
    }
    root[i] = '\\';
    root[i + 1] = '\0';

    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters)) {
        MessageBoxA(NULL, "unable to read free disk space", MessageCaption, MB_OK);
        SetupLog("unable to read free disk space");
        return 1;
    }
    // In 64 bits, so that a drive with 4 GiB or more free is never short.
    uint64_t available = (uint64_t)freeClusters * bytesPerSector * sectorsPerCluster;
    if (needed > available) {
        // Only figures below needed reach here, so they fit the %d fields.
        MessageBoxFormat("There is not enough disk space on\nselected drive for installation.\n"
                         "needed = %d, avail = %d",
                         (int)needed, (int)available);
        SetupLog("Not enough disk space on for installation. needed = %d, avail = %d",
                 (int)needed, (int)available);
        return 0;
    }
    return 1;
}

// Hands the game archive to the extraction. Returns its result: 1 when every
// member was written whole with a matching checksum, 0 otherwise or when
// the archive cannot be had.
static int ExtractGameData(void)
{
    uint32_t size;
    const uint8_t *archive = LockGameData(&size);
    if (archive == NULL)
        return 0;
    return ExtractArchive(ArchiveMemberLimit, archive, size);
}

// Unpacks the game while the progress bar and the file-name label show.
static int UnpackGameData(void)
{
    ShowWindow(ProgressBar, SW_SHOW);
    ShowWindow(StatusLabel, SW_SHOW);
    int unpacked = ExtractGameData();
    ShowWindow(ProgressBar, SW_HIDE);
    ShowWindow(StatusLabel, SW_HIDE);
    return unpacked;
}

int InstallDemo(void)
{
    if (DialogBoxParamA(AppInstance, "FOLDERDLG", MainWindow, FolderDialogProc, 0) != 1)
        return 0;
    if (!MakeInstallFolder())
        return 0;
    if (!CheckDiskSpace(RequiredSpace))
        return 0;
    // An unpacking that went wrong anywhere is not recorded as an install:
    // the user has seen every message, and the files written stay.
    if (!UnpackGameData())
        return 0;
    if (!UpdateDisplayDriver())
        return 0;
    CreateProgramGroup();
    SaveSettings();
    return 1;
}
