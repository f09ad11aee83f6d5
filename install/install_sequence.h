// The install sequence behind the Install caption.
#pragma once

// Asks for the folder, checks the game archive whole, makes the folder (or
// checks that an existing one can be written), checks the free space,
// unpacks the game and updates the display driver. Returns 1 when the
// game's files and driver are in place (RecordInstallation of
// system/install_record.h then makes it an installation), 0 when the user
// cancelled or a step stopped the sequence (that step has told the user).
// After a stop from the first file on, the journal of what this run made
// is taken back here (AbandonInstall).
int InstallDemo(void);

// Takes back the files and folders that the last InstallDemo made (never a
// file that was there before), logs why and what, and tells the user in one
// message that the install did not complete, with reason (a phrase without
// its full stop). For the steps after InstallDemo, such as the record of the
// installation. Returns 0, so that a step can end with it.
int AbandonInstall(const char *reason);
