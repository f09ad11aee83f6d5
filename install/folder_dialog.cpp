#include "install/folder_dialog.h"

#include <shlobj.h>
#include <stdarg.h>

#include "archive/game_data.h"
#include "install/folder_entry.h"
#include "resources/resource_ids.h"
#include "support/program_constants.h"
#include "support/settings.h"
#include "support/support.h"
#include "support/text_format.h"
#include "support/window_support.h"

enum {
    FolderFieldLimit = 260,
    // Besides the game's files, the install folder must hold the names of
    // the folder probes ("QOLT.INI", "KS0000.TMP") and of the driver
    // ("MGLDIB.DRV").
    LongestInstallName = 10
};

// Frees a shell item identifier list with the shell's allocator.
static void FreeItemIdList(LPITEMIDLIST list)
{
    IMalloc *allocator = NULL;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != NULL) {
        allocator->Free(list);
        allocator->Release();
    }
}

// Shows why an entry is refused, formatted, in a box owned by the dialog,
// so that the dialog waits behind it until it is answered.
static void ShowRefusal(HWND dialog, const char *format, ...) KEST_PRINTF_LIKE(2, 3);
static void ShowRefusal(HWND dialog, const char *format, ...)
{
    char text[MessageTextSize];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof text, format, args);
    va_end(args);
    MessageBoxA(dialog, text, MessageCaption, MB_OK);
}

static INT_PTR OnInitDialog(HWND dialog)
{
    char prompt[MessageTextSize];
    CenterOnMainWindow(dialog);
    FormatText(prompt, sizeof prompt, "Enter the folder to install %s in.", GameDisplayName);
    SetDlgItemTextA(dialog, IDC_FOLDER_PROMPT, prompt);
    SendDlgItemMessageA(dialog, IDC_FOLDER_FIELD, EM_LIMITTEXT, FolderFieldLimit, 0);
    SetDlgItemTextA(dialog, IDC_FOLDER_FIELD, ProposedFolder);
    SendDlgItemMessageA(dialog, IDC_FOLDER_FIELD, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, IDC_FOLDER_FIELD));
    return FALSE;  // the focus is set
}

// Stores the entry in InstallFolder and ends the dialog, or tells the user
// why the entry cannot be used and leaves the dialog open with it.
static INT_PTR OnOkay(HWND dialog)
{
    // One byte more than the field takes, so that nothing typed is cut.
    char entry[FolderFieldLimit + 1];
    GetDlgItemTextA(dialog, IDC_FOLDER_FIELD, entry, sizeof entry);

    size_t longestName = LongestGameFileName();
    if (longestName < LongestInstallName)
        longestName = LongestInstallName;
    FolderVerdict verdict =
        AcceptFolderEntry(entry, longestName, InstallFolder, sizeof InstallFolder);
    if (verdict != FolderAccepted) {
        unsigned greatest = (unsigned)LongestFolderText(longestName, sizeof InstallFolder) - 1;
        ShowRefusal(dialog, FolderVerdictMessage(verdict), greatest);
        SetFocus(GetDlgItem(dialog, IDC_FOLDER_FIELD));
        return TRUE;
    }
    EndDialog(dialog, 1);
    return TRUE;
}

// Lets the user pick a folder with the shell's browser and puts its path
// into the field; the dialog stays open.
static INT_PTR OnBrowse(HWND dialog)
{
    char folder[PathBufferSize];
    BROWSEINFOA browse = {};
    browse.hwndOwner = dialog;
    browse.pidlRoot = NULL;
    browse.pszDisplayName = folder;
    browse.lpszTitle = "Brevald Game Setup";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;

    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (chosen == NULL)
        return FALSE;
    if (SHGetPathFromIDListA(chosen, folder))
        SetDlgItemTextA(dialog, IDC_FOLDER_FIELD, folder);
    FreeItemIdList(chosen);
    return FALSE;
}

INT_PTR CALLBACK FolderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            return OnOkay(dialog);
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        case IDC_FOLDER_BROWSE:
            return OnBrowse(dialog);
        }
        break;
    }
    return FALSE;
}
