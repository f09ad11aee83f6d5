#include "install/driver_version.h"

int DriverNeedsReplacing(uint32_t fileVersionMS)
{
    uint32_t major = fileVersionMS >> 16;
    uint32_t minor = fileVersionMS & 0xFFFF;
    if (major != CarriedDriverMajor)
        return major < CarriedDriverMajor;
    return minor < CarriedDriverMinor;
}
