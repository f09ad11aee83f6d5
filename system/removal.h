// Removal of the installed demo.
#pragma once

// Asks the user, then deletes the installed files and the folder, forgets
// the stored folder and deletes the shortcut. Returns 1 when the demo was
// removed, 0 when nothing was changed.
int RemoveDemo(void);
