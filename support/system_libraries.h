// The system libraries that are not on the system's known-DLL list (winmm,
// version, comctl32) are loaded at run time from the system directory only:
// a library of the same name lying beside the installer (in a browser's
// download folder, say) is never loaded. The installer imports at load
// time only libraries on that list.
//
// Their functions are reached through the small functions below; each
// fails as its system function fails when the library or the function
// could not be had.
#pragma once

#include <windows.h>

// Restricts every later library search by name to the system directory
// where the system offers that (SetDefaultDllDirectories), then loads
// winmm, version and comctl32 from there: by full path, or comctl32 by name
// when the manifest redirects it to the common controls it asks for. A
// library that cannot be loaded is logged as "unable to load NAME". Call
// once, before anything else.
void LoadSystemLibraries(void);

// sndPlaySoundA of winmm.
BOOL SystemPlaySound(const char *sound, UINT flags);

// Silences a tune that is still playing, then waits while other threads of
// this process are ending (the sound's own end once it stops), until none
// has ended for a short while or a second has passed. A process that ends
// while one of its threads is half way through ending can be torn down
// with it (seen under Wine as a segmentation fault at exit), so call this
// last, before the process ends. Where the system cannot list or open
// threads, it only silences the tune.
void SystemStopSound(void);

// InitCommonControls of comctl32 (the version the manifest asks for).
void SystemInitCommonControls(void);

// GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA of version.
DWORD SystemFileVersionInfoSize(const char *path, DWORD *handle);
BOOL SystemFileVersionInfo(const char *path, DWORD handle, DWORD size, void *record);
BOOL SystemVerQueryValue(const void *record, const char *subBlock, void **value, UINT *length);

// SHGetFolderPathA of shell32 (SHGFP_TYPE_CURRENT, no token) for the
// CSIDL folder: path (MAX_PATH bytes) receives it. FALSE, with path empty,
// when the system has no such function or cannot name the folder.
BOOL SystemFolderPath(int folder, char *path);
