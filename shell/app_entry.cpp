// The installer's entry point: one copy per desktop, the splash window, the
// welcome tune and the message loop.
#include <windows.h>
#include <mmsystem.h>

#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "shell/splash_paint.h"
#include "support/program_state.h"
#include "support/system_libraries.h"
#include "system/settings_store.h"

// Together these identify a running copy of the installer.
static const char SetupClassName[] = "BrevaldSetup";
static const char SetupWindowTitle[] = "KestDemo";

// Plays the WAVE resource of that name from memory, once, in the
// background. Returns the result of sndPlaySoundA, or 0 when the resource
// cannot be had. The resource image stays mapped for the life of the
// process, so the sound keeps its data after the handle is released.
static BOOL PlayWaveResource(const char *name)
{
    HRSRC found = FindResourceA(AppInstance, name, "WAVE");
    if (found == NULL)
        return 0;
    HGLOBAL loaded = LoadResource(AppInstance, found);
    if (loaded == NULL)
        return 0;
    const void *wave = LockResource(loaded);
    if (wave == NULL)
        return 0;
    BOOL played = SystemPlaySound((LPCSTR)wave, SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
    FreeResource(loaded);
    return played;
}

static ATOM RegisterSetupClass(void)
{
    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = SetupWndProc;
    windowClass.hInstance = AppInstance;
    windowClass.hIcon = LoadIconA(AppInstance, MAKEINTRESOURCEA(IDI_SETUP_ICON));
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = NULL;  // the splash covers the whole client area
    windowClass.lpszClassName = SetupClassName;
    return RegisterClassA(&windowClass);
}

// Creates the borderless splash window centred on the screen (not clamped:
// on a smaller screen it starts at negative coordinates).
static HWND CreateSplashWindow(void)
{
    int x = (GetSystemMetrics(SM_CXSCREEN) - SplashWidth) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - SplashHeight) / 2;
    return CreateWindowExA(0, SetupClassName, SetupWindowTitle, WS_POPUP, x, y, SplashWidth,
                           SplashHeight, NULL, NULL, AppInstance, NULL);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand)
{
    (void)previousInstance;
    (void)commandLine;

    // Before anything can load a library by name from the installer's folder.
    LoadSystemLibraries();

    // A running copy is brought to the front instead of starting a second:
    // the dialog or box it shows, when there is one, so that the one that
    // waits for the user keeps the keyboard.
    MainWindow = FindWindowA(SetupClassName, SetupWindowTitle);
    if (MainWindow != NULL) {
        if (IsIconic(MainWindow))
            ShowWindow(MainWindow, SW_RESTORE);
        SetForegroundWindow(GetLastActivePopup(MainWindow));
        return 0;
    }

    AppInstance = instance;
    SystemInitCommonControls();
    LoadSettings();
    NotInstalled = InstallFolder[0] == '\0' ? 1 : 0;

    if (!RegisterSetupClass())
        return 0;
    MainWindow = CreateSplashWindow();
    if (MainWindow == NULL)
        return 0;
    ShowWindow(MainWindow, showCommand);
    UpdateWindow(MainWindow);
    PlayWaveResource("music");

    MSG message = {};
    BOOL got;
    while ((got = GetMessageA(&message, NULL, 0, 0)) != 0) {
        // An error here would repeat on every call; end instead of spinning.
        if (got == -1) {
            message.wParam = 0;
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    // The window goes at once; the process ends once the tune is silent.
    ShowWindow(MainWindow, SW_HIDE);
    SystemStopSound();
    return (int)message.wParam;
}
