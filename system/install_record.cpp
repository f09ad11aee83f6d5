#include "system/install_record.h"

#include "support/support.h"
#include "system/program_group.h"
#include "system/settings_store.h"

int RecordInstallation(void)
{
    CreateProgramGroup();
    if (!SaveSettings()) {
        MessageBoxFormat("The game's files are in place, but the installation could not be\n"
                         "recorded in the registry. The install is not complete.");
        SetupLog("unable to record the installation in the registry");
        return 0;
    }
    return 1;
}
