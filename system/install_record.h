// The last steps of an install: the system is told of the game in place.
#pragma once

// Records the install folder and the switches in the registry
// (SaveSettings), then makes the Start-menu entry (CreateProgramGroup).
// Returns 1 when the installation is recorded; 0, after a log line and with
// no entry made and no folder left recorded, when the record cannot be
// written: the caller then takes the install back, since without its record
// the demo would count as not installed, with no Un-Install for its files.
int RecordInstallation(void);
