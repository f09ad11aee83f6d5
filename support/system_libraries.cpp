#include "support/system_libraries.h"

#include <tlhelp32.h>

#include "support/program_constants.h"
#include "support/support.h"

typedef BOOL(WINAPI *SetDefaultDllDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI *SndPlaySoundFunction)(LPCSTR, UINT);
typedef void(WINAPI *InitCommonControlsFunction)(void);
typedef DWORD(WINAPI *GetFileVersionInfoSizeFunction)(LPCSTR, LPDWORD);
typedef BOOL(WINAPI *GetFileVersionInfoFunction)(LPCSTR, DWORD, DWORD, LPVOID);
typedef BOOL(WINAPI *VerQueryValueFunction)(LPCVOID, LPCSTR, LPVOID *, PUINT);
typedef HANDLE(WINAPI *CreateSnapshotFunction)(DWORD, DWORD);
typedef BOOL(WINAPI *ThreadWalkFunction)(HANDLE, LPTHREADENTRY32);
typedef HANDLE(WINAPI *OpenThreadFunction)(DWORD, BOOL, DWORD);
typedef BOOL(WINAPI *FindActCtxSectionStringFunction)(DWORD, const GUID *, ULONG, LPCSTR,
                                                      PACTCTX_SECTION_KEYED_DATA);
typedef HRESULT(WINAPI *GetFolderPathFunction)(HWND, int, HANDLE, DWORD, LPSTR);

enum {
    // The threads watched at exit: as many as one wait can take.
    WatchedThreadLimit = MAXIMUM_WAIT_OBJECTS,
    // No thread ended for this long: the ending ones are done.
    ThreadsQuietMilliseconds = 150,
    ThreadsWaitLimitMilliseconds = 1000
};

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
// Activation contexts came with Windows XP: before it, nothing is
// redirected, and the function is looked up so that the installer still
// loads there.
static int RedirectedByManifest(const char *name)
{
    FindActCtxSectionStringFunction findSection = (FindActCtxSectionStringFunction)FindFunction(
        GetModuleHandleA("kernel32.dll"), "FindActCtxSectionStringA");
    if (findSection == NULL)
        return 0;
    ACTCTX_SECTION_KEYED_DATA found = {};
    found.cbSize = sizeof found;
    return findSection(0, NULL, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, name, &found) != 0;
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

// Opens the other threads of this process for waiting, at most limit of
// them; returns how many handles were stored. 0 where the system cannot
// list or open threads (before Windows 2000 and ME).
static DWORD OpenOtherThreads(HANDLE *threads, DWORD limit)
{
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    CreateSnapshotFunction createSnapshot =
        (CreateSnapshotFunction)FindFunction(kernel32, "CreateToolhelp32Snapshot");
    ThreadWalkFunction firstThread = (ThreadWalkFunction)FindFunction(kernel32, "Thread32First");
    ThreadWalkFunction nextThread = (ThreadWalkFunction)FindFunction(kernel32, "Thread32Next");
    OpenThreadFunction openThread = (OpenThreadFunction)FindFunction(kernel32, "OpenThread");
    if (createSnapshot == NULL || firstThread == NULL || nextThread == NULL || openThread == NULL)
        return 0;

    HANDLE snapshot = createSnapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    DWORD process = GetCurrentProcessId();
    DWORD self = GetCurrentThreadId();
    DWORD count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = firstThread(snapshot, &entry); more && count < limit;
         more = nextThread(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != process || entry.th32ThreadID == self)
            continue;
        HANDLE thread = openThread(SYNCHRONIZE, FALSE, entry.th32ThreadID);
        if (thread != NULL)
            threads[count++] = thread;
        entry.dwSize = sizeof entry;
    }
    CloseHandle(snapshot);
    return count;
}

void SystemStopSound(void)
{
    SystemPlaySound(NULL, 0);

    HANDLE threads[WatchedThreadLimit];
    DWORD count = OpenOtherThreads(threads, WatchedThreadLimit);
    DWORD started = GetTickCount();
    while (count > 0) {
        DWORD waited = GetTickCount() - started;
        if (waited >= ThreadsWaitLimitMilliseconds)
            break;
        DWORD quiet = ThreadsQuietMilliseconds;
        if (quiet > ThreadsWaitLimitMilliseconds - waited)
            quiet = ThreadsWaitLimitMilliseconds - waited;
        DWORD result = WaitForMultipleObjects(count, threads, FALSE, quiet);
        if (result >= WAIT_OBJECT_0 + count)
            break;  // none ended for a while (or the wait failed)
        // That one has ended: watch the rest.
        DWORD ended = result - WAIT_OBJECT_0;
        CloseHandle(threads[ended]);
        threads[ended] = threads[--count];
    }
    for (DWORD i = 0; i < count; i++)
        CloseHandle(threads[i]);
}

BOOL SystemFolderPath(int folder, char *path)
{
    // shell32 has it from Windows 2000 (and 98, Me with Internet Explorer
    // 5); it is looked up so that the installer loads where it is missing.
    GetFolderPathFunction getFolderPath =
        (GetFolderPathFunction)FindFunction(GetModuleHandleA("shell32.dll"), "SHGetFolderPathA");
    path[0] = '\0';
    if (getFolderPath == NULL || getFolderPath(NULL, folder, NULL, 0, path) != S_OK)
        return FALSE;
    return path[0] != '\0';
}
