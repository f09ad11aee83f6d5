// The System Options dialog: three compatibility switches of the game.
#pragma once

#include <windows.h>

// Dialog procedure of the "PROPDLG" template.
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
