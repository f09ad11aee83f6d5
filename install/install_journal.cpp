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

int UndoJournal(InstallJournal *journal)
{
    unsigned removedFiles = 0, removedFolders = 0, left = 0;
    for (unsigned i = journal->fileCount; i-- > 0;) {
        const char *path = journal->files[i];
        if (!PathExists(path))
            continue;
        if (DeleteFileAt(path)) {
            SetupLog("undo: deleted the file %s", path);
            removedFiles++;
        } else {
            SetupLog("undo: could not delete the file %s", path);
            left++;
        }
    }
    for (unsigned i = journal->folderCount; i-- > 0;) {
        const char *path = journal->folders[i];
        if (!PathExists(path))
            continue;
        if (RemoveEmptyFolder(path)) {
            SetupLog("undo: removed the folder %s", path);
            removedFolders++;
        } else {
            SetupLog("undo: could not remove the folder %s", path);
            left++;
        }
    }
    if (removedFiles + removedFolders + left != 0)
        SetupLog("undo: %u files and %u folders of this install removed, %u left", removedFiles,
                 removedFolders, left);
    StartJournal(journal);
    return left == 0;
}
