// The support services of the installer itself.
#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "shell/shell_state.h"
#include "shell/support.h"
#include "shell/support_platform.h"
#include "shell/window_support.h"

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

void StartProgress(uint32_t total, uint32_t step)
{
    SendMessageA(ProgressBar, PBM_SETPOS, 0, 0);
    SendMessageA(ProgressBar, PBM_SETRANGE32, 0, (LPARAM)total);
    SendMessageA(ProgressBar, PBM_SETSTEP, (WPARAM)step, 0);
}

void StepProgress(void)
{
    SendMessageA(ProgressBar, PBM_STEPIT, 0, 0);
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
