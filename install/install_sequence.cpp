// The install sequence behind the Install caption.
#include "install/install_sequence.h"

#include <windows.h>
#include <shellapi.h>

#include "archive/archive_header.h"
#include "archive/archive_reader.h"
#include "archive/game_data.h"
#include "install/driver_update.h"
#include "install/folder_dialog.h"
#include "install/folder_entry.h"
#include "install/install_journal.h"
#include "support/program_constants.h"
#include "support/program_state.h"
#include "support/settings.h"
#include "support/support.h"
#include "support/text_format.h"

enum { WriteProbeAttempts = 16 };

// What this run's install made, from the folder on; taken back when a later
// step stops it.
static InstallJournal Journal;

// Whether files can be made in InstallFolder, an existing folder: an empty
// file of a name not yet taken there ("KS" and four hex digits, ".TMP") is
// created and deleted again, so that no file of the user's is touched.
// Tells the user and logs when the folder cannot be written.
static int CanWriteInstallFolder(void)
{
    DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 8);
    for (unsigned attempt = 0; attempt < WriteProbeAttempts; attempt++) {
        char name[16];
        char probe[PathBufferSize + 1];  // room for AppendPath's second zero
        FormatText(name, sizeof name, "KS%04X.TMP", (unsigned)((seed + attempt) & 0xFFFF));
        CopyText(probe, sizeof probe, InstallFolder);
        if (!AppendPath(probe, sizeof probe, name))
            break;
        // Deleted as the handle closes.
        HANDLE file = CreateFileA(probe, GENERIC_WRITE, 0, NULL, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return 1;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    MessageBoxFormat("The folder %s cannot be written to.\nPlease choose another folder.",
                     InstallFolder);
    SetupLog("unable to write into the folder %s", InstallFolder);
    return 0;
}

// Makes the install folder exist, with every missing folder above it, by
// having the shell copy WIN.INI into it as "QOLT.INI" and deleting that
// copy again. A folder that already exists is not probed that way, so that
// a file of the user's named "QOLT.INI" survives; it is checked once for
// whether it can be written instead. Returns 1 when the folder exists and
// can be written; otherwise the user has been told and it is logged.
static int MakeInstallFolder(void)
{
    DWORD attributes = GetFileAttributesA(InstallFolder);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return CanWriteInstallFolder();

    // Both paths end with two zero bytes: the shell takes lists of paths.
    char windowsIni[PathBufferSize + 1] = "";
    char probe[PathBufferSize + 1];
    UINT length = GetWindowsDirectoryA(windowsIni, PathBufferSize);
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = MainWindow;
    operation.wFunc = FO_COPY;
    operation.pFrom = windowsIni;
    operation.pTo = probe;
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
    // The folders the shell is about to make are noted first, so that a
    // later stop removes them again.
    int copied = JournalMissingFolders(&Journal, InstallFolder) &&
                 length != 0 && length < PathBufferSize &&
                 AppendPath(windowsIni, sizeof windowsIni, "WIN.INI") &&
                 CopyText(probe, sizeof probe, InstallFolder) &&
                 AppendPath(probe, sizeof probe, "QOLT.INI") &&
                 SHFileOperationA(&operation) == 0;
    if (!copied) {
        MessageBoxFormat("The folder %s could not be made.\nPlease choose another folder.",
                         InstallFolder);
        SetupLog("unable to make the folder %s", InstallFolder);
        // The shell may have made some of the folders above it.
        UndoJournal(&Journal);
        return 0;
    }

    operation.wFunc = FO_DELETE;
    operation.pFrom = probe;
    operation.pTo = NULL;
    SHFileOperationA(&operation);
    return 1;
}

// The free space the game needs on a drive whose clusters hold clusterSize
// bytes: what the archive's members take there, each rounded up to whole
// clusters, and never less than RequiredSpace.
static uint64_t SpaceNeeded(uint32_t clusterSize)
{
    uint32_t size;
    const uint8_t *archive = LockGameData(&size);
    uint64_t needed = 0;
    if (archive != NULL)
        needed = ArchiveUnpackedSpace(archive, size, ArchiveMemberLimit, clusterSize);
    return needed > RequiredSpace ? needed : RequiredSpace;
}

// Returns 0, after telling the user, when the drive of InstallFolder has
// less free space than the game needs; 1 otherwise, also when the free
// space cannot be read (the user is told that too, and the install goes on).
static int CheckDiskSpace(void)
{
    // The drive's root, or the share's for a folder on a network share.
    char root[PathBufferSize];
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!FreeSpaceRoot(InstallFolder, root, sizeof root) ||
        !GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters)) {
        MessageBoxA(NULL, "unable to read free disk space", MessageCaption, MB_OK);
        SetupLog("unable to read free disk space");
        return 1;
    }
    // In 64 bits, so that a drive with 4 GiB or more free is never short.
    uint64_t needed = SpaceNeeded(sectorsPerCluster * bytesPerSector);
    uint64_t available = (uint64_t)freeClusters * bytesPerSector * sectorsPerCluster;
    if (needed > available) {
        MessageBoxFormat("There is not enough disk space on\nselected drive for installation.\n"
                         "needed = %llu, avail = %llu",
                         (unsigned long long)needed, (unsigned long long)available);
        SetupLog("Not enough disk space on for installation. needed = %llu, avail = %llu",
                 (unsigned long long)needed, (unsigned long long)available);
        return 0;
    }
    return 1;
}

// Decodes every member of the game archive in memory and compares its CRC,
// writing nothing, so that a damaged installer stops before the first file
// is written. Each fault is shown and logged, then a closing message says
// that nothing was installed. Returns 1 when the archive is sound.
static int CheckGameData(void)
{
    uint32_t size;
    const uint8_t *archive = LockGameData(&size);
    if (archive == NULL)
        return 0;
    ArchiveTestOnly = 1;
    LogShownMessages = 1;
    int sound = ExtractArchive(ArchiveMemberLimit, archive, size);
    LogShownMessages = 0;
    ArchiveTestOnly = 0;
    if (!sound) {
        MessageBoxFormat("This installer is damaged: nothing was installed.\n"
                         "Please download it again.");
        SetupLog("the installer is damaged: nothing was installed");
    }
    return sound;
}

// Notes each file the extraction is about to make; refuses it when the
// journal is full, which stops the extraction.
static int NoteOpeningFile(const char *path)
{
    if (JournalNewFile(&Journal, path))
        return 1;
    SetupLog("too many files to keep track of: %s was not written", path);
    return 0;
}

// Hands the game archive to the extraction, noting every file it creates.
// Returns its result: 1 when every member was written whole with a matching
// checksum, 0 otherwise or when the archive cannot be had.
static int ExtractGameData(void)
{
    uint32_t size;
    const uint8_t *archive = LockGameData(&size);
    if (archive == NULL)
        return 0;
    ArchiveOpeningFile = NoteOpeningFile;
    int extracted = ExtractArchive(ArchiveMemberLimit, archive, size);
    ArchiveOpeningFile = NULL;
    return extracted;
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
    StartJournal(&Journal);
    if (DialogBoxParamA(AppInstance, "FOLDERDLG", MainWindow, FolderDialogProc, 0) != 1)
        return 0;
    if (!CheckGameData())
        return 0;
    if (!MakeInstallFolder())
        return 0;
    if (!CheckDiskSpace())
        return 0;
    // From the first file on, a stop takes back what this run made.
    if (!UnpackGameData())
        return AbandonInstall("not every file of the game could be written whole");
    char driverProblem[MessageTextSize];
    if (!UpdateDisplayDriver(driverProblem, sizeof driverProblem))
        return AbandonInstall(driverProblem);
    return 1;
}

int AbandonInstall(const char *reason)
{
    SetupLog("the install did not complete: %s", reason);
    const char *outcome = UndoJournal(&Journal)
                              ? "It was undone: nothing of it is left installed."
                              : "It was undone, but some of its files could not be removed "
                                "(the setup log names them).";
    MessageBoxFormat("The install did not complete: %s.\n\n%s", reason, outcome);
    return 0;
}
