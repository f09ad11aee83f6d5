#include "install/game_launch.h"

#include <windows.h>

#include "shell/program_constants.h"
#include "shell/support.h"
#include "shell/text_format.h"
#include "system/settings.h"

void LaunchGame(void)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;

    // The game starts in the installer's current directory: the install
    // folder. A folder that is gone makes the start fail below.
    SetCurrentDirectoryA(InstallFolder);

    char commandLine[PathBufferSize];
    CopyText(commandLine, sizeof commandLine, GameExeName);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &process)) {
        MessageBoxFormat("Unable to load %s", commandLine);
        return;
    }
    // The installer neither waits for the game nor watches it.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}
