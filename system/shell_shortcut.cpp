#include "system/shell_shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "support/program_constants.h"
#include "support/support.h"
#include "support/system_libraries.h"
#include "support/text_format.h"

static const char LinkExtension[] = ".lnk";

// The group folder and the shortcut's path inside it. Returns 0 when the
// all-users Programs folder cannot be had or the paths do not fit.
static int ShortcutPaths(char *group, char *link)
{
    char programs[MAX_PATH];
    if (!SystemFolderPath(CSIDL_COMMON_PROGRAMS, programs))
        return 0;
    char name[PathBufferSize];
    return FormatText(group, PathBufferSize, "%s\\%s", programs, ProgramGroupName) <
               PathBufferSize - 1 &&
           FormatText(name, sizeof name, "%s%s", GameDisplayName, LinkExtension) <
               sizeof name - 1 &&
           FormatText(link, PathBufferSize, "%s\\%s", group, name) < PathBufferSize - 1;
}

// Fills a new link object and saves it at link (an ANSI path). Returns the
// first failing result, or S_OK.
static HRESULT SaveLink(const char *gamePath, const char *workingFolder, const char *link)
{
    WCHAR wideLink[PathBufferSize];
    if (MultiByteToWideChar(CP_ACP, 0, link, -1, wideLink, PathBufferSize) == 0)
        return E_FAIL;
    IShellLinkA *shellLink = NULL;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      (void **)&shellLink);
    if (FAILED(result))
        return result;
    IPersistFile *file = NULL;
    result = shellLink->SetPath(gamePath);
    if (SUCCEEDED(result))
        result = shellLink->SetWorkingDirectory(workingFolder);
    if (SUCCEEDED(result))
        result = shellLink->SetIconLocation(gamePath, 0);
    if (SUCCEEDED(result))
        result = shellLink->QueryInterface(IID_IPersistFile, (void **)&file);
    if (SUCCEEDED(result)) {
        result = file->Save(wideLink, TRUE);
        file->Release();
    }
    shellLink->Release();
    return result;
}

int MakeShellShortcut(const char *gamePath, const char *workingFolder)
{
    char group[PathBufferSize];
    char link[PathBufferSize];
    if (!ShortcutPaths(group, link)) {
        SetupLog("unable to find the Start menu's Programs folder for the shortcut");
        return 0;
    }
    if (!CreateDirectoryA(group, NULL) && GetLastError() != ERROR_ALREADY_EXISTS) {
        SetupLog("unable to make the Start-menu folder %s", group);
        return 0;
    }
    // COM may already be started on this thread (the folder browser starts
    // it); only a start made here is ended here.
    HRESULT started = CoInitialize(NULL);
    HRESULT saved = SaveLink(gamePath, workingFolder, link);
    if (SUCCEEDED(started))
        CoUninitialize();
    if (FAILED(saved)) {
        SetupLog("unable to make the Start-menu shortcut %s (error %08lX)", link,
                 (unsigned long)saved);
        return 0;
    }
    return 1;
}

int DeleteShellShortcut(void)
{
    char group[PathBufferSize];
    char link[PathBufferSize];
    if (!ShortcutPaths(group, link))
        return 0;
    int deleted = DeleteFileA(link) != 0;
    RemoveDirectoryA(group);  // only when empty
    return deleted;
}
