// Which installed display drivers the install replaces with its 3.10.
#include <gtest/gtest.h>

#include "install/driver_version.h"

namespace {

uint32_t Version(uint32_t major, uint32_t minor)
{
    return (major << 16) | minor;
}

TEST(DriverVersion, OlderDriversAreReplaced)
{
    EXPECT_TRUE(DriverNeedsReplacing(Version(3, 9)));
    EXPECT_TRUE(DriverNeedsReplacing(Version(2, 0)));
    EXPECT_TRUE(DriverNeedsReplacing(Version(2, 99)));
    EXPECT_TRUE(DriverNeedsReplacing(Version(0, 0)));
}

TEST(DriverVersion, TheSameOrANewerDriverStays)
{
    EXPECT_FALSE(DriverNeedsReplacing(Version(3, 10)));
    EXPECT_FALSE(DriverNeedsReplacing(Version(3, 11)));
    // A higher major number is newer whatever its minor number.
    EXPECT_FALSE(DriverNeedsReplacing(Version(4, 0)));
    EXPECT_FALSE(DriverNeedsReplacing(Version(4, 10)));
    EXPECT_FALSE(DriverNeedsReplacing(Version(0xFFFF, 0)));
}

}  // namespace
