// The last steps of an install: the system is told of the game in place.
#pragma once

// Makes the Start-menu entry (CreateProgramGroup) and records the install
// folder and the switches in the registry (SaveSettings). Returns 1 when the
// installation is recorded; 0 when the record cannot be written, after
// telling the user and logging it: without its record the demo would count
// as not installed, with no Un-Install for its files.
int RecordInstallation(void);
