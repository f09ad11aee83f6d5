// Which names an installer archive's members may carry: plain file names
// that the installer can create inside its folder, as they are.
#pragma once

#include <stddef.h>

// Returns NULL when name is a plain file name, else a short reason: empty,
// longer than MemberNameLimit (archive/archive_header.h), "." or "..", a folder separator or drive colon, a character
// that Windows file names cannot hold, a trailing dot or space (Windows
// drops them), or a device name such as "NUL" or "COM1.TXT".
const char *MemberNameProblem(const char *name);
