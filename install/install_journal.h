// What one install made, so that a stopped install can be taken back: the
// files the unpacking created (they did not exist before) and the folders
// that making the install folder created, the folder itself and its missing
// parents. A file that existed before is never noted: it was overwritten,
// and deleting it would lose the user's own. Platform-free: the files are
// looked at and removed through support/support.h.
#pragma once

#include "support/program_constants.h"

enum {
    JournalFileLimit = ArchiveMemberLimit,    // one file per member unpacked
    JournalFolderLimit = PathBufferSize / 2   // every folder of the longest path
};

struct InstallJournal {
    char files[JournalFileLimit][PathBufferSize];
    unsigned fileCount;
    char folders[JournalFolderLimit][PathBufferSize];  // outermost first
    unsigned folderCount;
};

// Empties the journal.
void StartJournal(InstallJournal *journal);

// Notes path as a file this install is about to create, when nothing lies
// there yet; a path already taken is not noted. Returns 0 when the journal
// is full or the path does not fit: the file must then not be made.
int JournalNewFile(InstallJournal *journal, const char *path);

// Notes every folder of the folder text (ending in a backslash or not) that
// does not exist yet, outermost first, below its drive or share root
// (FreeSpaceRoot). Call it before the folder is made. Returns 0, having
// noted nothing, when they would not fit.
int JournalMissingFolders(InstallJournal *journal, const char *folder);

// Takes back what the journal holds: deletes its files, newest first, then
// removes its folders deepest first, each only when it is empty. One log
// line per file or folder removed (or that could not be), then a summary
// line when there was anything to take back; a noted file or folder that is
// not there (its creation failed) is passed over.
// Empties the journal. Returns 1 when everything noted is gone.
int UndoJournal(InstallJournal *journal);
