// Checking the folder the user typed into the folder dialog. Platform-free,
// so that the rules are tested on the host.
#pragma once

#include <stddef.h>

// Why an entry is refused; FolderAccepted when it is not.
enum FolderVerdict {
    FolderAccepted,
    FolderEmpty,     // nothing entered
    FolderRelative,  // no drive (C:\...) and no network share (\\server\share)
    FolderTooLong    // with its backslash and the longest game file name it would not fit
};

// Checks entry and, when it is accepted, stores it in folder (folderSize
// bytes) with its trailing backslash. longestName is the length of the
// longest file name the folder must hold, so that every installed file's
// path fits a path buffer of folderSize bytes. folder is left unchanged
// when the entry is refused.
FolderVerdict AcceptFolderEntry(const char *entry, size_t longestName, char *folder,
                                size_t folderSize);

// The message that tells the user why the entry was refused (a printf
// format; FolderTooLong takes the greatest accepted length as %u).
const char *FolderVerdictMessage(FolderVerdict verdict);

// The longest folder text, trailing backslash included, that can hold a
// file name of longestName characters within folderSize bytes.
size_t LongestFolderText(size_t longestName, size_t folderSize);

// The root whose free space stands for folder's: for a network share
// ("\\server\share\..."), the share's own root "\\server\share\"; for
// anything else the first two characters (fewer when the text is shorter)
// and a backslash, so "C:\" for "C:\Games\". Writes it into root (rootSize
// bytes) and returns 1, or returns 0 with root empty when it would not fit.
int FreeSpaceRoot(const char *folder, char *root, size_t rootSize);
