// The splash window: captions, keys, commands, and the hidden progress bar
// and file-name label used while unpacking.
#pragma once

#include <windows.h>

// Sent by the window to itself whenever the selected caption may have changed.
enum { WM_UPDATEHIGHLIGHT = 0xFF98 };

// Control ids of the window's two children.
enum { ProgressBarId = 500, StatusLabelId = 101 };

LRESULT CALLBACK SetupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
