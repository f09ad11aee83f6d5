// Removal of the installed demo: only the files the installation put into
// the install folder are deleted, so that a demo installed into a folder of
// the user's (or a drive's root) takes nothing of theirs with it.
#include "system/removal.h"

#include <windows.h>
#include <string.h>

#include "archive/archive_header.h"
#include "archive/game_data.h"
#include "support/program_constants.h"
#include "support/program_state.h"
#include "support/support.h"
#include "support/text_format.h"
#include "system/program_group.h"
#include "system/settings_store.h"

// Whether name is one of the count names, compared without regard to case
// as Windows compares file names.
static int IsListedName(char (*names)[MemberNameLimit + 1], unsigned count, const char *name)
{
    for (unsigned i = 0; i < count; i++) {
        if (lstrcmpiA(names[i], name) == 0)
            return 1;
    }
    return 0;
}

// Deletes the game's files directly inside InstallFolder (not those of any
// subfolder, not the user's own), then the folder itself when that left it
// empty. Returns 0 when there is no folder or it cannot be listed, else 1,
// whatever could or could not be deleted.
static int DeleteInstallFolder(void)
{
    if (InstallFolder[0] == '\0')
        return 0;

    // Every path below is the folder text followed directly by a name, so
    // the folder must end in a backslash or the search would reach beside it.
    char folder[PathBufferSize];
    CopyText(folder, sizeof folder, InstallFolder);
    // A one-character folder is not given one: its files sit beside it, so
    // it cannot be listed safely and nothing is deleted.
    if (!AddTrailingBackslash(folder, sizeof folder))
        return 0;
    size_t folderLength = strlen(folder);
    if (folder[folderLength - 1] != '\\')
        return 0;

    char path[PathBufferSize];
    if (FormatText(path, sizeof path, "%s*.*", folder) != folderLength + 3)
        return 0;
    // The names the installation can have written: the game archive's
    // members, read once, before the folder is listed.
    static char gameFileNames[ArchiveMemberLimit][MemberNameLimit + 1];
    unsigned gameFileCount = 0;
    uint32_t archiveSize;
    const uint8_t *archive = LockGameData(&archiveSize);
    if (archive != NULL)
        gameFileCount = ArchiveMemberNames(archive, archiveSize, gameFileNames, ArchiveMemberLimit);

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (!IsListedName(gameFileNames, gameFileCount, found.cFileName))
            continue;
        // A name that does not fit beside the folder cannot be one we wrote.
        if (FormatText(path, sizeof path, "%s%s", folder, found.cFileName) !=
            folderLength + strlen(found.cFileName))
            continue;
        DeleteFileA(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);

    // Fails, and leaves the folder, while anything is left in it.
    RemoveDirectoryA(folder);
    return 1;
}

int RemoveDemo(void)
{
    char question[MessageTextSize];
    FormatText(question, sizeof question, "Remove %s from computer?", GameDisplayName);
    // Only a Yes deletes: a box that could not be shown answers nothing.
    if (MessageBoxA(MainWindow, question, MessageCaption, MB_YESNO) != IDYES)
        return RemovalNotDone;
    if (!DeleteInstallFolder())
        return RemovalNotDone;
    int forgotten = ForgetInstallFolder();
    if (!forgotten)
        SetupLog("unable to clear the install folder in the registry");
    DeleteShortcut();
    InstallFolder[0] = '\0';
    return forgotten ? RemovalDone : RemovalNotForgotten;
}
