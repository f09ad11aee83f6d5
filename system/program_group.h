// The Start-menu entry of the installed game, made by the Windows
// program-group converter from a description file.
#pragma once

// Writes "SETUP.INI" into the Windows directory and starts the converter
// "grpconv.exe" with "-o", which makes the group "Brevald" holding the
// game's shortcut: the system directory's converter (NT 4 to XP), else the
// Windows directory's (95 to Me). Where neither exists (Vista on), the
// shell's link object makes the shortcut in the all-users Programs folder
// (system/shell_shortcut.h). Returns 1 when the converter started or the
// shortcut was made, 0 otherwise (a failure after the file is logged).
int CreateProgramGroup(void);

// Deletes the game's shortcut wherever this installer makes it: from the
// converter's group folder under the Windows directory (which stays), and
// from the all-users Programs folder (whose group folder goes when left
// empty). Returns 1 when a shortcut was deleted.
int DeleteShortcut(void);
