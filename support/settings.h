// The installer's settings as the program holds them: the install folder,
// the folder the dialog proposes and the game's four switches. They are
// plain data that every layer may read (the archive reader writes under
// InstallFolder, host-built tools included); the registry record they are
// loaded from and saved to is system/settings_store.h.
#pragma once

#include <stdint.h>

#include "support/program_constants.h"

// The folder the demo is installed in, ending in a backslash; empty means
// not installed.
extern char InstallFolder[PathBufferSize];

// The folder the folder dialog proposes: the default, or the folder of the
// last installation.
extern char ProposedFolder[PathBufferSize];

// The game's switches. A switch is on only when it is exactly 1.
extern uint32_t DirectSound;
extern uint32_t DirectX;
extern uint32_t WinDirect;
extern uint32_t Debug;
