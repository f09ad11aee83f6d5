#include "install/install_journal.h"

#include <string.h>

#include "install/folder_entry.h"
#include "support/support.h"
#include "support/text_format.h"

void StartJournal(InstallJournal *journal)
{
    journal->fileCount = 0;
    journal->folderCount = 0;
}

int JournalNewFile(InstallJournal *journal, const char *path)
{
    if (PathExists(path))
        return 1;
    if (journal->fileCount >= JournalFileLimit ||
        !CopyText(journal->files[journal->fileCount], PathBufferSize, path))
        return 0;
    journal->fileCount++;
    return 1;
}

int JournalMissingFolders(InstallJournal *journal, const char *folder)
{
    char root[PathBufferSize];
    if (!FreeSpaceRoot(folder, root, sizeof root))
        return 0;
    size_t length = strlen(folder);
    if (length >= PathBufferSize)
        return 0;

    // Each folder on the way ends just before a separator, or at the end.
    unsigned count = journal->folderCount;
    for (size_t end = strlen(root); end <= length; end++) {
        int atSeparator = end == length || folder[end] == '\\' || folder[end] == '/';
        if (!atSeparator || end == 0 || folder[end - 1] == '\\' || folder[end - 1] == '/')
            continue;
        char prefix[PathBufferSize];
        memcpy(prefix, folder, end);
        prefix[end] = '\0';
        if (PathExists(prefix))
            continue;
        if (count >= JournalFolderLimit)
            return 0;
        CopyText(journal->folders[count++], PathBufferSize, prefix);
    }
    journal->folderCount = count;
    return 1;
}

// Takes back count noted paths with takeBack, the last noted first, passing
// over those not there; logs each as "undo: <done> the <noun> PATH" or
// "undo: could not <verb> the <noun> PATH", and counts them.
static void UndoEntries(char (*paths)[PathBufferSize], unsigned count,
                        int (*takeBack)(const char *), const char *verb, const char *done,
                        const char *noun, unsigned *removed, unsigned *left)
{
    for (unsigned i = count; i-- > 0;) {
        const char *path = paths[i];
        if (!PathExists(path))
            continue;
        if (takeBack(path)) {
            SetupLog("undo: %s the %s %s", done, noun, path);
            (*removed)++;
        } else {
            SetupLog("undo: could not %s the %s %s", verb, noun, path);
            (*left)++;
        }
    }
}

int UndoJournal(InstallJournal *journal)
{
    unsigned removedFiles = 0, removedFolders = 0, left = 0;
    UndoEntries(journal->files, journal->fileCount, DeleteFileAt, "delete", "deleted", "file",
                &removedFiles, &left);
    UndoEntries(journal->folders, journal->folderCount, RemoveEmptyFolder, "remove", "removed",
                "folder", &removedFolders, &left);
    if (removedFiles + removedFolders + left != 0)
        SetupLog("undo: %u files and %u folders of this install removed, %u left", removedFiles,
                 removedFolders, left);
    StartJournal(journal);
    return left == 0;
}
