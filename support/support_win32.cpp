// The support services of the installer itself.
#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "support/program_state.h"
#include "support/support.h"
#include "support/support_platform.h"
#include "support/window_support.h"

// The setup log always lies at the root of drive C:, whatever the install
// folder, so that support can find it.
static const char SetupLogPath[] = "C:\\BREVALD_SETUP.LOG";

// 1 until the first line of this run empties the log.
static uint32_t LogFirstWrite = 1;

void WriteLogLine(const char *line)
{
    DWORD disposition = LogFirstWrite ? CREATE_ALWAYS : OPEN_ALWAYS;
    LogFirstWrite = 0;

    // Opened and closed for every line, so that each line is on disk as soon
    // as it is written, even if the program is stopped right after.
    HANDLE log = CreateFileA(SetupLogPath, GENERIC_WRITE, FILE_SHARE_WRITE, NULL,
                             disposition, FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE)
        return;
    SetFilePointer(log, 0, NULL, FILE_END);
    DWORD written;
    WriteFile(log, line, (DWORD)strlen(line), &written, NULL);
    WriteFile(log, "\r\n", 2, &written, NULL);
    CloseHandle(log);
}

int ShowMessageText(const char *text)
{
    return MessageBoxA(MainWindow, text, MessageCaption, MB_OK);
}

void ShowStatusText(const char *text)
{
    SetWindowTextA(StatusLabel, text);
}

// The progress bar. The control repaints at once at every position it is
// given, and under Wine its painting takes about a millisecond: at one step
// per 8 KB block the bar cost more than the unpacking itself. So the steps
// are counted here, and the control is told of them only when a person can
// see the difference: when the bar it draws would be at least a pixel
// longer and a display frame has passed since it was last drawn (a picture
// replaced within one frame never reaches the screen; where blocks come
// slower than that, every block is still drawn). The step that reaches or
// passes the end of the range is always given, as one PBM_STEPIT by all the
// steps held back, so that the control's own rule for a step past the end
// (it starts over) leaves the position that stepping block by block left.
// A hidden bar (the archive's check before the install) is told only then.
enum { DisplayFramesPerSecond = 60 };

static uint32_t ProgressTotal;      // upper end of the range
static uint32_t ProgressStep;       // the amount of one step
static uint32_t ProgressShown;      // the position the control holds
static uint64_t ProgressHeld;       // steps counted since then, as an amount
static uint32_t ProgressWidth;      // the bar's client width in pixels
static LARGE_INTEGER ProgressDrawn; // when the control was last told

// Pixels of the bar's width that position fills.
static uint64_t ProgressPixels(uint64_t position)
{
    return ProgressTotal == 0 ? 0 : position * ProgressWidth / ProgressTotal;
}

// Nonzero when at least one display frame has passed since ProgressDrawn.
static int FramePassed(void)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (now.QuadPart - ProgressDrawn.QuadPart) * DisplayFramesPerSecond >=
           frequency.QuadPart;
}

void StartProgress(uint32_t total, uint32_t step)
{
    SendMessageA(ProgressBar, PBM_SETPOS, 0, 0);
    SendMessageA(ProgressBar, PBM_SETRANGE32, 0, (LPARAM)total);
    SendMessageA(ProgressBar, PBM_SETSTEP, (WPARAM)step, 0);
    RECT client;
    GetClientRect(ProgressBar, &client);
    ProgressWidth = client.right > 0 ? (uint32_t)client.right : 0;
    ProgressTotal = total;
    ProgressStep = step;
    ProgressShown = 0;
    ProgressHeld = 0;
    QueryPerformanceCounter(&ProgressDrawn);
}

void StepProgress(void)
{
    ProgressHeld += ProgressStep;
    uint64_t position = ProgressShown + ProgressHeld;
    if (position < ProgressTotal &&
        (!IsWindowVisible(ProgressBar) ||
         ProgressPixels(position) == ProgressPixels(ProgressShown) || !FramePassed()))
        return;
    SendMessageA(ProgressBar, PBM_SETSTEP, (WPARAM)ProgressHeld, 0);
    SendMessageA(ProgressBar, PBM_STEPIT, 0, 0);
    SendMessageA(ProgressBar, PBM_SETSTEP, (WPARAM)ProgressStep, 0);
    ProgressShown = (uint32_t)SendMessageA(ProgressBar, PBM_GETPOS, 0, 0);
    ProgressHeld = 0;
    QueryPerformanceCounter(&ProgressDrawn);
}

void CenterOnMainWindow(HWND window)
{
    RECT main, own;
    GetWindowRect(MainWindow, &main);
    GetWindowRect(window, &own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    int x = CenteredStart(main.left, main.right - main.left, width);
    int y = CenteredStart(main.top, main.bottom - main.top, height);
    MoveWindow(window, x, y, width, height, TRUE);
}

int PathExists(const char *path)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return 1;
    DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

int DeleteFileAt(const char *path)
{
    return DeleteFileA(path) != 0;
}

int RemoveEmptyFolder(const char *path)
{
    return RemoveDirectoryA(path) != 0;
}
