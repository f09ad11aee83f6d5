// Bringing the display driver in the Windows system directory up to date.
#pragma once

#include <stddef.h>

// Copies "MGLDIB.DRV" from the install folder into the system directory when
// none is there or the one there is older than 3.10, then deletes it from
// the install folder. Returns 1 when done, 0 (after a setup-log line) when
// the installed driver's version cannot be read or the copy fails; problem
// (problemSize bytes) then says why, as a phrase for the user.
int UpdateDisplayDriver(char *problem, size_t problemSize);
