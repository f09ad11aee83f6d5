// The version test of the display driver. Platform-free, for host tests.
#pragma once

#include <stdint.h>

// The version of the driver that the game archive carries: 3.10.
enum { CarriedDriverMajor = 3, CarriedDriverMinor = 10 };

// Whether an installed driver whose most significant file-version word is
// fileVersionMS (major number in the high 16 bits, minor in the low) is
// older than the carried one and must be replaced. A newer driver, of a
// higher major number whatever its minor number, is never replaced.
int DriverNeedsReplacing(uint32_t fileVersionMS);
