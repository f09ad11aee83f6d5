// The installer's persistent record: the install folder and the game's four
// switches, kept in the registry under
// HKEY_LOCAL_MACHINE\SOFTWARE\Brevald\Settings.
//
// The fields are plain data so that host-built code (the archive reader,
// which writes under InstallFolder) can use them without the registry.
#pragma once

#include <stdint.h>

#include "shell/program_constants.h"

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

extern const char PathValueName[];  // "VRKNPath"

// Reads the install folder and the switches from the registry, creating
// the key when it is missing.
void LoadSettings(void);

// Writes the install folder (completed with its trailing backslash) and the
// four switches. Returns 1, or 0 when the key cannot be opened or a value
// cannot be written.
int SaveSettings(void);

// Empties the stored install folder; the switches stay. Returns 1, or 0
// when the key cannot be opened or the value cannot be written.
int ForgetInstallFolder(void);
