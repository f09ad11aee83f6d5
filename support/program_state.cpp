#include "support/program_state.h"

HINSTANCE AppInstance;
HWND MainWindow;
uint32_t NotInstalled = 1;
uint32_t AppActive = 1;
HWND ProgressBar;
HWND StatusLabel;
