// Support services that exist only in the Windows build.
#pragma once

#include <windows.h>

// Moves window, keeping its size, so that it is centred over MainWindow, and
// has it repainted. The result is not kept inside the screen.
void CenterOnMainWindow(HWND window);
