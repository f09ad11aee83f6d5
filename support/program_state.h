// The program-wide handles that the entry and the main window own.
#pragma once

#include <windows.h>
#include <stdint.h>

extern HINSTANCE AppInstance;   // this module, for every resource and dialog
extern HWND MainWindow;         // the splash window: owner of dialogs and boxes
extern uint32_t NotInstalled;   // 1 while the demo is not installed
extern uint32_t AppActive;      // 1 while this application is the active one
extern HWND ProgressBar;        // hidden progress bar, shown while unpacking
extern HWND StatusLabel;        // hidden file-name label under it
