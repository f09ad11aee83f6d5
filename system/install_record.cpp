#include "system/install_record.h"

#include "support/support.h"
#include "system/program_group.h"
#include "system/settings_store.h"

int RecordInstallation(void)
{
    // The record comes first: a Start-menu entry is made only for a game
    // the registry records, so a refused record leaves no entry behind.
    if (!SaveSettings()) {
        SetupLog("unable to record the installation in the registry");
        // A record written in part must not say installed.
        ForgetInstallFolder();
        return 0;
    }
    CreateProgramGroup();
    return 1;
}
