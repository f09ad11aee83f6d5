// Numbers that tie the installer's code to its resource script: the icon,
// the controls of the folder dialog and of the options dialog, and the
// options page's template. Read by both the C++ compiler and windres, so it
// holds nothing but #defines.
#pragma once

#define IDI_SETUP_ICON 100          // the window class's icon (32 x 32, 16 colours)

// Template "FOLDERDLG": the folder selection dialog.
#define IDC_FOLDER_PROMPT 300       // static: "Enter the folder to install ... in."
#define IDC_FOLDER_FIELD 100        // edit: the install folder
#define IDC_FOLDER_BROWSE 200       // push button "Browse..."

// Template "PROPDLG": the options dialog, and its single page.
#define IDC_OPTIONS_TAB 500         // the tab control
#define IDD_OPTIONS_PAGE 1050       // template of the page shown inside the tab
#define IDC_DIRECTSOUND_BOX 201     // check box "DirectSound"
#define IDC_DIRECTX_BOX 202         // check box "DirectX"
#define IDC_WINDIRECT_BOX 203       // check box "WinDirect"
