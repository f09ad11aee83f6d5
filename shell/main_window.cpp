#include "shell/main_window.h"

#include <commctrl.h>

#include "install/game_launch.h"
#include "install/install_sequence.h"
#include "shell/hot_spots.h"
#include "shell/splash_paint.h"
#include "support/program_state.h"
#include "support/support.h"
#include "system/install_record.h"
#include "system/options_dialog.h"
#include "system/removal.h"

// Virtual-key codes of the numeric pad's arrows.
enum { KeyPad2 = VK_NUMPAD2, KeyPad4 = VK_NUMPAD4, KeyPad6 = VK_NUMPAD6, KeyPad8 = VK_NUMPAD8 };

// 1 while Install, Un-Install or Configure runs. The splash then takes no
// command, from the mouse or the keys, even while a box without an owner
// leaves it enabled: a second command must not start inside the first.
static uint32_t CommandRunning;

static LRESULT OnCreate(HWND window, const CREATESTRUCTA *creation)
{
    if (NotInstalled == 1)
        EnableInstalledSpots(0);

    // Both children start hidden; the install shows them while unpacking.
    ProgressBar = CreateWindowExA(0, PROGRESS_CLASSA, NULL, WS_CHILD | WS_BORDER, ProgressLeft,
                                  ProgressTop, ProgressWidth, ProgressHeight, window,
                                  (HMENU)ProgressBarId, AppInstance, NULL);
    SendMessageA(ProgressBar, PBM_SETPOS, 0, 0);
    StatusLabel = CreateWindowExA(0, "static", "filename.ext", WS_CHILD | SS_CENTER, ProgressLeft,
                                  StatusTop, ProgressWidth, StatusHeight, window,
                                  (HMENU)StatusLabelId, AppInstance, NULL);

    LoadSplashGraphics(window, creation->hInstance);
    return 0;
}

static LRESULT OnDestroy(void)
{
    FreeSplashGraphics();
    PostQuitMessage(0);
    return 0;
}

static void SelectSpot(HWND window, int32_t spot)
{
    CurrentSpot = spot;
    SendMessageA(window, WM_UPDATEHIGHLIGHT, 0, 0);
}

static LRESULT OnKeyDown(HWND window, WPARAM key, LPARAM lParam)
{
    if (CommandRunning)
        return 0;
    switch (key) {
    case VK_RETURN:
    case VK_SPACE:
        // Exactly as a click on the selected caption.
        SendMessageA(window, WM_LBUTTONUP, 0, 0);
        break;
    case VK_ESCAPE:
    case VK_F12:
        PostMessageA(window, WM_DESTROY, 0, 0);
        return 0;
    case VK_LEFT:
    case VK_UP:
    case KeyPad4:
    case KeyPad8:
        SelectSpot(window, SelectPreviousSpot(CurrentSpot));
        break;
    case VK_RIGHT:
    case VK_DOWN:
    case KeyPad2:
    case KeyPad6:
        SelectSpot(window, SelectNextSpot(CurrentSpot));
        break;
    default:
        break;
    }
    return DefWindowProcA(window, WM_KEYDOWN, key, lParam);
}

static LRESULT OnMouseMove(HWND window, LPARAM position)
{
    // While another application is active the highlight stays where it is.
    if (AppActive == 0)
        return 0;
    SelectSpot(window, HitTestSpots((uint32_t)position));
    return 0;
}

// Install and record the installation, and on success switch the window to
// the installed state before the completion message is shown. An install
// that cannot be recorded is taken back.
static void RunInstallCommand(void)
{
    if (!InstallDemo())
        return;
    if (!RecordInstallation()) {
        AbandonInstall("the installation could not be recorded in the registry");
        return;
    }
    EnableInstalledSpots(1);
    NotInstalled = 0;
    MessageBoxA(MainWindow, "   Install completed.   \n\n", MessageCaption, MB_OK);
}

// Remove, and when the files went switch the window to the not-installed
// state before saying so, and whether the registry still records them.
static void RunRemoveCommand(void)
{
    int removal = RemoveDemo();
    if (removal == RemovalNotDone)
        return;
    EnableInstalledSpots(0);
    NotInstalled = 1;
    if (removal == RemovalNotForgotten)
        MessageBoxA(MainWindow,
                    "The demo was removed, but its record in the registry could not be\n"
                    "cleared: the next start of this installer may still offer Un-Install.",
                    MessageCaption, MB_OK);
    else
        MessageBoxA(MainWindow, "   Demo removed.   \n\n", MessageCaption, MB_OK);
}

// A button release activates the caption selected last, wherever the
// pointer is now.
static LRESULT OnButtonUp(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (CommandRunning)
        return 0;
    if (CurrentSpot < 0 || CurrentSpot >= SpotCount || !HotSpots[CurrentSpot].enabled)
        return DefWindowProcA(window, WM_LBUTTONUP, wParam, lParam);

    switch (CurrentSpot) {
    case SPOT_PLAY:
        LaunchGame();
        PostMessageA(window, WM_DESTROY, 0, 0);
        break;
    case SPOT_INSTALL:
        CommandRunning = 1;
        if (NotInstalled == 1)
            RunInstallCommand();
        else
            RunRemoveCommand();
        CommandRunning = 0;
        break;
    case SPOT_CONFIGURE:
        CommandRunning = 1;
        DialogBoxParamA(AppInstance, "PROPDLG", MainWindow, OptionsDialogProc, 0);
        CommandRunning = 0;
        break;
    case SPOT_EXIT:
        PostMessageA(window, WM_DESTROY, 0, 0);
        break;
    }
    return 0;
}

LRESULT CALLBACK SetupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, (const CREATESTRUCTA *)lParam);
    case WM_DESTROY:
        return OnDestroy();
    case WM_CLOSE:
        // Closing in the middle of a command would end it half done.
        if (CommandRunning)
            return 0;
        break;
    case WM_PAINT:
        PaintSplash(window);
        return 1;
    case WM_ACTIVATEAPP:
        AppActive = (uint32_t)wParam;
        break;
    case WM_KEYDOWN:
        return OnKeyDown(window, wParam, lParam);
    case WM_MOUSEMOVE:
        return OnMouseMove(window, lParam);
    case WM_LBUTTONUP:
        return OnButtonUp(window, wParam, lParam);
    case WM_QUERYNEWPALETTE:
        RealizeSplashPalette(window);
        return 1;
    case WM_PALETTECHANGED:
        if ((HWND)wParam != window)
            RealizeSplashPalette(window);
        break;
    case WM_UPDATEHIGHLIGHT:
        UpdateHighlight(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
