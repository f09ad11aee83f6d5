#include "system/program_group.h"

#include <windows.h>
#include <string.h>

#include "support/program_constants.h"
#include "support/settings.h"
#include "support/support.h"
#include "support/text_format.h"
#include "system/shell_shortcut.h"

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

// Finds the program-group converter where Windows keeps it: the system
// directory (NT 4, 2000, XP), else the Windows directory (95, 98, Me). Only
// these full paths are looked at, never the installer's folder, the current
// one or the path, so that no planted program of its name runs. Returns 1
// with converter (PathBufferSize + 1 bytes) set, or 0 when neither has one.
static int FindConverter(char *converter)
{
    for (int place = 0; place < 2; place++) {
        converter[0] = '\0';
        UINT length = place == 0 ? GetSystemDirectoryA(converter, PathBufferSize)
                                 : GetWindowsDirectoryA(converter, PathBufferSize);
        if (length != 0 && length < PathBufferSize &&
            AppendPath(converter, PathBufferSize + 1, ConverterFileName) && PathExists(converter))
            return 1;
    }
    return 0;
}

// Starts the converter at its full path (quoted: the folder may hold
// spaces) with "-o", not waiting for it. Returns 1 when it started; a
// failure is logged.
static int StartConverter(const char *converter)
{
    char command[PathBufferSize + 8];
    FormatText(command, sizeof command, "\"%s\" -o", converter);
    UINT started = WinExec(command, SW_HIDE);
    if (started > 31)
        return 1;
    SetupLog("unable to start %s (error %u)", converter, started);
    return 0;
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
    size_t textLength = FormatText(text, sizeof text, GroupFileFormat, ProgramGroupName,
                                   GameDisplayName, shortGamePath, InstallFolder);
    _lwrite(file, text, (UINT)textLength);
    _lclose(file);

    // Where Windows has no converter any more, the shell's link object
    // makes the entry, naming the game by its full path.
    char converter[PathBufferSize + 1];  // room for AppendPath's second zero
    if (FindConverter(converter))
        return StartConverter(converter);
    return MakeShellShortcut(gamePath, InstallFolder);
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
    int deleted = DeleteFileA(shortcut) != 0;
    // The entry the shell's link object made where there was no converter.
    if (DeleteShellShortcut())
        deleted = 1;
    return deleted;
}
