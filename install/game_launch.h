// Starting the installed game.
#pragma once

// Starts the game's program from the install folder, shown, without waiting
// for it. Tells the user when it cannot be started.
void LaunchGame(void);
