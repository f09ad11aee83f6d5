#include "install/game_launch.h"

#include <windows.h>

#include "support/program_constants.h"
#include "support/settings.h"
#include "support/support.h"
#include "support/text_format.h"

void LaunchGame(void)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;

    // The game is named by its full path in the install folder, so that no
    // other program of its name (beside the installer, on the path) can
    // start instead; a folder that is gone makes the start fail below.
    char gamePath[PathBufferSize + 1];  // room for AppendPath's second zero
    char commandLine[PathBufferSize];
    CopyText(gamePath, sizeof gamePath, InstallFolder);
    CopyText(commandLine, sizeof commandLine, GameExeName);
    PROCESS_INFORMATION process = {};
    if (InstallFolder[0] == '\0' || !AppendPath(gamePath, sizeof gamePath, GameExeName) ||
        !CreateProcessA(gamePath, commandLine, NULL, NULL, FALSE, 0, NULL, InstallFolder,
                        &startup, &process)) {
        MessageBoxFormat("Unable to load %s", commandLine);
        return;
    }
    // The installer neither waits for the game nor watches it.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}
