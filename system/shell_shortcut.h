// The game's Start-menu entry made with the shell's own link object, for
// the Windows versions that no longer have the program-group converter
// (Vista on): "Brevald\<game>.lnk" in the all-users Programs folder.
#pragma once

// Makes the shortcut: it starts gamePath with workingFolder as its working
// folder and the game's own icon. Makes the group folder when it is
// missing. Returns 1, or 0 after a setup-log line when any step fails.
int MakeShellShortcut(const char *gamePath, const char *workingFolder);

// Deletes the shortcut, then the group folder when that left it empty
// (another program of the maker's may share it). Returns 1 when the
// shortcut was deleted.
int DeleteShellShortcut(void);
