// The System Options dialog: one tab whose page holds a check box for each
// of the game's three compatibility switches.
#include "system/options_dialog.h"

#include <commctrl.h>

#include "resources/resource_ids.h"
#include "support/program_state.h"
#include "support/support.h"
#include "support/window_support.h"
#include "system/settings_store.h"

enum { SwitchBoxCount = 3 };

// Each box and the switch it shows.
static const int SwitchBoxIds[SwitchBoxCount] = {IDC_DIRECTSOUND_BOX, IDC_DIRECTX_BOX, IDC_WINDIRECT_BOX};
static uint32_t *const SwitchBoxFields[SwitchBoxCount] = {&DirectSound, &DirectX, &WinDirect};

// The tab control and the page, while the dialog is open.
static HWND OptionsTab;
static HWND OptionsPage;

// Dialog procedure of the page (template 1050): checks each box whose
// switch is exactly 1. The boxes toggle by themselves.
static INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    if (message == WM_INITDIALOG) {
        for (int i = 0; i < SwitchBoxCount; i++) {
            if (*SwitchBoxFields[i] == 1)
                SendDlgItemMessageA(page, SwitchBoxIds[i], BM_SETCHECK, BST_CHECKED, 0);
        }
    }
    return FALSE;
}

static INT_PTR OnInitDialog(HWND dialog)
{
    CenterOnMainWindow(dialog);
    OptionsTab = GetDlgItem(dialog, IDC_OPTIONS_TAB);

    TCITEMA tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = (LPSTR) "System Options";
    tab.iImage = -1;
    SendMessageA(OptionsTab, TCM_INSERTITEMA, 0, (LPARAM)&tab);

    OptionsPage = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_OPTIONS_PAGE),
                                     dialog, OptionsPageProc, 0);
    // Tab and the arrow keys reach the page's boxes as if they were the
    // dialog's own, and the first box starts with the focus, so that the
    // dialog works from the keyboard alone.
    SetWindowLongA(OptionsPage, GWL_EXSTYLE,
                   GetWindowLongA(OptionsPage, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    ShowWindow(OptionsPage, SW_SHOW);
    SetFocus(GetDlgItem(OptionsPage, IDC_DIRECTSOUND_BOX));
    return FALSE;
}

// Stores the boxes' states in the switches, 1 or 0, and saves all settings.
// A save that fails is told in a box owned by the dialog, and logged.
static void StoreSwitches(HWND dialog)
{
    for (int i = 0; i < SwitchBoxCount; i++)
        *SwitchBoxFields[i] = 0;
    for (int i = 0; i < SwitchBoxCount; i++) {
        if (SendDlgItemMessageA(OptionsPage, SwitchBoxIds[i], BM_GETCHECK, 0, 0) != 0)
            *SwitchBoxFields[i] = 1;
    }
    if (!SaveSettings()) {
        MessageBoxA(dialog, "The options could not be saved in the registry.", MessageCaption,
                    MB_OK);
        SetupLog("unable to save the options in the registry");
    }
}

// Ends the dialog with result, the page destroyed first.
static void CloseOptions(HWND dialog, INT_PTR result)
{
    DestroyWindow(OptionsPage);
    OptionsPage = NULL;
    EndDialog(dialog, result);
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            StoreSwitches(dialog);
            CloseOptions(dialog, 1);
            return TRUE;
        case IDCANCEL:
            CloseOptions(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
