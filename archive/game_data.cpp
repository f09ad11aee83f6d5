#include "archive/game_data.h"

#include <windows.h>
#include <string.h>

#include "archive/archive_header.h"
#include "support/program_constants.h"
#include "support/program_state.h"

const uint8_t *LockGameData(uint32_t *size)
{
    HRSRC found = FindResourceA(AppInstance, "GAMEDATA", "MYDATA");
    if (found == NULL)
        return NULL;
    HGLOBAL loaded = LoadResource(AppInstance, found);
    if (loaded == NULL)
        return NULL;
    const uint8_t *archive = (const uint8_t *)LockResource(loaded);
    if (archive == NULL)
        return NULL;
    *size = SizeofResource(AppInstance, found);
    return archive;
}

size_t LongestGameFileName(void)
{
    uint32_t size;
    const uint8_t *archive = LockGameData(&size);
    if (archive == NULL)
        return 0;
    // The members the installer unpacks: the same walk and limit as theirs.
    char names[ArchiveMemberLimit][MemberNameLimit + 1];
    unsigned count = ArchiveMemberNames(archive, size, names, ArchiveMemberLimit);
    size_t longest = 0;
    for (unsigned i = 0; i < count; i++) {
        size_t length = strlen(names[i]);
        if (length > longest)
            longest = length;
    }
    return longest;
}
