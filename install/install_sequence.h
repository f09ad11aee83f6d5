// The install sequence behind the Install caption.
#pragma once

// Asks for the folder, checks the game archive whole, makes the folder (or
// checks that an existing one can be written), checks the free space,
// unpacks the game, updates the display driver, makes the program group and
// records the installation. Returns 1 when the demo is now installed, 0 when the user
// cancelled or a step stopped the sequence (that step has told the user).
int InstallDemo(void);
