#include "install/folder_entry.h"

#include <ctype.h>
#include <string.h>

// "C:\" or "C:/": a drive letter, a colon and a separator.
static int NamesADrive(const char *entry)
{
    return isalpha((unsigned char)entry[0]) && entry[1] == ':' &&
           (entry[2] == '\\' || entry[2] == '/');
}

// "\\server\share": a network share, which names its own root.
static int NamesAShare(const char *entry)
{
    return entry[0] == '\\' && entry[1] == '\\' && entry[2] != '\0' && entry[2] != '\\';
}

size_t LongestFolderText(size_t longestName, size_t folderSize)
{
    // A full path holds folder, name and terminator within folderSize bytes.
    if (longestName + 1 >= folderSize)
        return 0;
    return folderSize - 1 - longestName;
}

FolderVerdict AcceptFolderEntry(const char *entry, size_t longestName, char *folder,
                                size_t folderSize)
{
    size_t length = strlen(entry);
    if (length == 0)
        return FolderEmpty;
    if (!NamesADrive(entry) && !NamesAShare(entry))
        return FolderRelative;

    size_t completedLength = entry[length - 1] == '\\' ? length : length + 1;
    if (completedLength > LongestFolderText(longestName, folderSize))
        return FolderTooLong;

    memcpy(folder, entry, length);
    if (completedLength > length)
        folder[length] = '\\';
    folder[completedLength] = '\0';
    return FolderAccepted;
}

const char *FolderVerdictMessage(FolderVerdict verdict)
{
    switch (verdict) {
    case FolderEmpty:
        return "Please enter the folder to install the game in.";
    case FolderRelative:
        return "Please enter the full path of the folder, beginning with its drive,\n"
               "for example C:\\Games\\KestDemo.";
    case FolderTooLong:
        return "The folder name is too long.\n"
               "Please choose a folder name of at most %u characters.";
    case FolderAccepted:
        break;
    }
    return "";
}

// Where the part of text that begins at start ends: its first separator, or
// the end of the text.
static size_t PartEnd(const char *text, size_t start)
{
    while (text[start] != '\0' && text[start] != '\\' && text[start] != '/')
        start++;
    return start;
}

int FreeSpaceRoot(const char *folder, char *root, size_t rootSize)
{
    size_t length;
    if (NamesAShare(folder)) {
        // Up to the end of the share's name; without one, the server's.
        size_t serverEnd = PartEnd(folder, 2);
        length = serverEnd;
        if (folder[serverEnd] != '\0' && PartEnd(folder, serverEnd + 1) > serverEnd + 1)
            length = PartEnd(folder, serverEnd + 1);
    } else {
        length = folder[0] == '\0' ? 0 : folder[1] == '\0' ? 1 : 2;
    }
    if (rootSize == 0)
        return 0;
    if (length + 2 > rootSize) {
        root[0] = '\0';
        return 0;
    }
    memcpy(root, folder, length);
    root[length] = '\\';
    root[length + 1] = '\0';
    return 1;
}
