// The folder dialog, the first step of the install.
#pragma once

#include <windows.h>

// Dialog procedure of the "FOLDERDLG" template. The dialog ends with 1 after
// "Okay", with InstallFolder set (trailing backslash included), and with 0
// after "Cancel", InstallFolder unchanged.
INT_PTR CALLBACK FolderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
