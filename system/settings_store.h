// The installer's persistent record of its settings (support/settings.h),
// kept in the registry under HKEY_LOCAL_MACHINE\SOFTWARE\Brevald\Settings.
#pragma once

#include "support/settings.h"

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
