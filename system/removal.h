// Removal of the installed demo.
#pragma once

// What a removal came to.
enum RemovalResult {
    RemovalNotDone = 0,      // declined, or the folder cannot be listed: nothing changed
    RemovalDone = 1,         // files, folder, stored folder and shortcut gone
    RemovalNotForgotten = 2  // files and shortcut gone, but the stored folder stays
};

// Asks the user, then (on Yes only) deletes the installed files and the
// folder, forgets the stored folder and deletes the shortcut. Returns a
// RemovalResult; a stored folder that cannot be emptied is logged.
int RemoveDemo(void);
