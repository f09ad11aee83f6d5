// The Start-menu entry of the installed game, made by the Windows
// program-group converter from a description file.
#pragma once

// Writes "SETUP.INI" into the Windows directory and starts the converter
// "grpconv.exe" of the Windows directory with "-o", which makes the group
// "Brevald" holding the game's shortcut. Returns the converter start's
// result, or 0 when the file cannot be created.
int CreateProgramGroup(void);

// Deletes the game's shortcut from the group's Start-menu folder; the
// folder stays.
int DeleteShortcut(void);
