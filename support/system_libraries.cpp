#include "support/system_libraries.h"

#include "support/program_constants.h"
#include "support/support.h"

typedef BOOL(WINAPI *SetDefaultDllDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI *SndPlaySoundFunction)(LPCSTR, UINT);
typedef void(WINAPI *InitCommonControlsFunction)(void);
typedef DWORD(WINAPI *GetFileVersionInfoSizeFunction)(LPCSTR, LPDWORD);
typedef BOOL(WINAPI *GetFileVersionInfoFunction)(LPCSTR, DWORD, DWORD, LPVOID);
typedef BOOL(WINAPI *VerQueryValueFunction)(LPCVOID, LPCSTR, LPVOID *, PUINT);

// Each entry point, or NULL when its library or the function is missing.
static SndPlaySoundFunction SndPlaySoundEntry;
static InitCommonControlsFunction InitCommonControlsEntry;
static GetFileVersionInfoSizeFunction GetFileVersionInfoSizeEntry;
static GetFileVersionInfoFunction GetFileVersionInfoEntry;
static VerQueryValueFunction VerQueryValueEntry;

// The address of function in module, or NULL. Taken through the generic
// function type, which converts to any other without a warning.
typedef void (*AnyFunction)(void);
static AnyFunction FindFunction(HMODULE module, const char *function)
{
    if (module == NULL)
        return NULL;
    return (AnyFunction)GetProcAddress(module, function);
}

// Whether the process's activation context sends a load of name to a
// library of its own (comctl32 of the version the manifest asks for): such
// a load never searches the program's folder.
static int RedirectedByManifest(const char *name)
{
    ACTCTX_SECTION_KEYED_DATA found = {};
    found.cbSize = sizeof found;
    return FindActCtxSectionStringA(0, NULL, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, name,
                                    &found) != 0;
}

// Loads the library name from the system directory by its full path there,
// so that neither the program's folder nor a library of that name already
// loaded from elsewhere can stand in for it; a name the manifest redirects
// is loaded by name, so that the manifest's version comes. Returns NULL,
// after a log line, when the library cannot be loaded.
static HMODULE LoadSystemLibrary(const char *name)
{
    HMODULE module = NULL;
    if (RedirectedByManifest(name)) {
        module = LoadLibraryA(name);
    } else {
        char path[PathBufferSize + 1] = "";  // room for AppendPath's second zero
        UINT length = GetSystemDirectoryA(path, PathBufferSize);
        if (length != 0 && length < PathBufferSize && AppendPath(path, sizeof path, name))
            module = LoadLibraryA(path);
    }
    if (module == NULL)
        SetupLog("unable to load %s", name);
    return module;
}

void LoadSystemLibraries(void)
{
    // Every later load by name (the system's own, inside shell32 and kin)
    // searches the system directory only, where the system offers that;
    // older systems lack SetDefaultDllDirectories, so it is looked up.
    SetDefaultDllDirectoriesFunction restrictSearch = (SetDefaultDllDirectoriesFunction)FindFunction(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (restrictSearch != NULL)
        restrictSearch(LOAD_LIBRARY_SEARCH_SYSTEM32);

    HMODULE winmm = LoadSystemLibrary("winmm.dll");
    HMODULE version = LoadSystemLibrary("version.dll");
    HMODULE comctl32 = LoadSystemLibrary("comctl32.dll");

    SndPlaySoundEntry = (SndPlaySoundFunction)FindFunction(winmm, "sndPlaySoundA");
    GetFileVersionInfoSizeEntry =
        (GetFileVersionInfoSizeFunction)FindFunction(version, "GetFileVersionInfoSizeA");
    GetFileVersionInfoEntry =
        (GetFileVersionInfoFunction)FindFunction(version, "GetFileVersionInfoA");
    VerQueryValueEntry = (VerQueryValueFunction)FindFunction(version, "VerQueryValueA");
    InitCommonControlsEntry =
        (InitCommonControlsFunction)FindFunction(comctl32, "InitCommonControls");
}

BOOL SystemPlaySound(const char *sound, UINT flags)
{
    if (SndPlaySoundEntry == NULL)
        return FALSE;
    return SndPlaySoundEntry(sound, flags);
}

void SystemInitCommonControls(void)
{
    if (InitCommonControlsEntry != NULL)
        InitCommonControlsEntry();
}

DWORD SystemFileVersionInfoSize(const char *path, DWORD *handle)
{
    if (GetFileVersionInfoSizeEntry == NULL)
        return 0;
    return GetFileVersionInfoSizeEntry(path, handle);
}

BOOL SystemFileVersionInfo(const char *path, DWORD handle, DWORD size, void *record)
{
    if (GetFileVersionInfoEntry == NULL)
        return FALSE;
    return GetFileVersionInfoEntry(path, handle, size, record);
}

BOOL SystemVerQueryValue(const void *record, const char *subBlock, void **value, UINT *length)
{
    if (VerQueryValueEntry == NULL)
        return FALSE;
    return VerQueryValueEntry(record, subBlock, value, length);
}
