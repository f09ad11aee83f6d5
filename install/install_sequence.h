// The install sequence behind the Install caption.
#pragma once

// Asks for the folder, checks the game archive whole, makes the folder (or
// checks that an existing one can be written), checks the free space,
// unpacks the game and updates the display driver. Returns 1 when the
// game's files and driver are in place (RecordInstallation of
// system/install_record.h then makes it an installation), 0 when the user
// cancelled or a step stopped the sequence (that step has told the user).
int InstallDemo(void);
