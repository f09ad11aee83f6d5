// Which names an installer archive's members may carry: plain file names
// that the installer can create inside its folder, as they are.
#pragma once

#include <stddef.h>

enum {
    MaxMemberNameLength = 230  // the longest name a level-1 header of 255 body bytes holds
};

// Returns NULL when name is a plain file name, else a short reason: empty,
// too long, "." or "..", a folder separator or drive colon, a character
// that Windows file names cannot hold, a trailing dot or space (Windows
// drops them), or a device name such as "NUL" or "COM1.TXT".
const char *MemberNameProblem(const char *name);
