#include "system/program_group.h"

#include <windows.h>
#include <string.h>

#include "support/program_constants.h"
#include "support/settings.h"
#include "support/support.h"
#include "support/text_format.h"

static const char GroupName[] = "Brevald";
static const char GroupFileName[] = "SETUP.INI";
static const char ConverterFileName[] = "grpconv.exe";
static const char GroupFolder[] = "Start Menu\\Programs\\Brevald";
static const char ShortcutExtension[] = ".LNK";

// The group description: four CR LF lines. "groupX" is literal text.
static const char GroupFileFormat[] =
    "[progman.groups]\r\n"
    "groupX=%s\r\n"
    "[groupX]\r\n"
    "\"%s\",\"%s\",,,,\"%s\"\r\n";

// Room for the longest text: 74 characters of the format and the names,
// and two paths of at most 259 characters each.
enum { GroupFileSize = 74 + 2 * PathBufferSize };

// Starts the Windows directory's program-group converter, named by its
// full path (quoted: the folder may hold spaces) so that no program of its
// name beside the installer or on the path runs instead, with "-o".
// Returns WinExec's result: above 31 when it started, an error code (2 for
// a missing file) otherwise.
static int StartConverter(void)
{
    char converter[PathBufferSize + 1] = "";  // room for AppendPath's second zero
    UINT length = GetWindowsDirectoryA(converter, PathBufferSize);
    if (length == 0 || length >= PathBufferSize ||
        !AppendPath(converter, sizeof converter, ConverterFileName))
        return ERROR_PATH_NOT_FOUND;
    char command[PathBufferSize + 8];
    FormatText(command, sizeof command, "\"%s\" -o", converter);
    return (int)WinExec(command, SW_HIDE);
}

int CreateProgramGroup(void)
{
    char groupFile[PathBufferSize + 1] = "";
    UINT length = GetWindowsDirectoryA(groupFile, sizeof groupFile);
    if (length == 0 || length >= sizeof groupFile ||
        !AppendPath(groupFile, sizeof groupFile, GroupFileName))
        return 0;

    // The shortcut runs the game by its short path; when the short form
    // cannot be had, the long path (quoted, so spaces are safe) serves. The
    // game's path has room for the second zero that AppendPath leaves.
    char gamePath[PathBufferSize + 1];
    char shortGamePath[PathBufferSize];
    CopyText(gamePath, sizeof gamePath, InstallFolder);
    if (!AppendPath(gamePath, sizeof gamePath, GameExeName))
        return 0;
    DWORD shortLength = GetShortPathNameA(gamePath, shortGamePath, sizeof shortGamePath);
    if (shortLength == 0 || shortLength >= sizeof shortGamePath)
        CopyText(shortGamePath, sizeof shortGamePath, gamePath);

    HFILE file = _lcreat(groupFile, 0);
    if (file == HFILE_ERROR)
        return 0;
    char text[GroupFileSize];
    size_t textLength = FormatText(text, sizeof text, GroupFileFormat, GroupName,
                                   GameDisplayName, shortGamePath, InstallFolder);
    _lwrite(file, text, (UINT)textLength);
    _lclose(file);
    return StartConverter();
}

int DeleteShortcut(void)
{
    char shortcut[PathBufferSize] = "";
    UINT length = GetWindowsDirectoryA(shortcut, sizeof shortcut);
    if (length == 0 || length >= sizeof shortcut ||
        !AppendPath(shortcut, sizeof shortcut, GroupFolder) ||
        !AppendPath(shortcut, sizeof shortcut, GameDisplayName) ||
        strlen(shortcut) + sizeof ShortcutExtension > sizeof shortcut)
        return 0;
    strcat(shortcut, ShortcutExtension);
    GetShortPathNameA(shortcut, shortcut, sizeof shortcut);
    return DeleteFileA(shortcut);
}
