// Until removal and the options dialog land, their captions do nothing.
#include "system/options_dialog.h"
#include "system/removal.h"

int RemoveDemo(void)
{
    return 0;
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    if (message == WM_INITDIALOG)
        EndDialog(dialog, 0);
    return FALSE;
}
