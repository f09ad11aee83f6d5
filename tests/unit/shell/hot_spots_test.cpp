// The caption table: hit testing and the arrow-key selection rules.
#include <gtest/gtest.h>

#include "shell/hot_spots.h"

namespace {

uint32_t Packed(uint32_t x, uint32_t y)
{
    return x | (y << 16);
}

class HotSpotsTest : public ::testing::Test {
protected:
    void SetUp() override { EnableInstalledSpots(1); }
    void TearDown() override { EnableInstalledSpots(1); }
};

TEST_F(HotSpotsTest, EachCaptionOwnsItsRectangleLeftAndTopInclusive)
{
    EXPECT_EQ(HitTestSpots(Packed(174, 158)), SPOT_PLAY);
    EXPECT_EQ(HitTestSpots(Packed(293, 183)), SPOT_PLAY);
    EXPECT_EQ(HitTestSpots(Packed(174, 184)), SPOT_INSTALL) << "stacked without gaps";
    EXPECT_EQ(HitTestSpots(Packed(200, 210)), SPOT_CONFIGURE);
    EXPECT_EQ(HitTestSpots(Packed(200, 261)), SPOT_EXIT);
}

TEST_F(HotSpotsTest, PointsOutsideEveryCaptionHitNothing)
{
    EXPECT_EQ(HitTestSpots(Packed(173, 170)), NoSpot);
    EXPECT_EQ(HitTestSpots(Packed(294, 170)), NoSpot);
    EXPECT_EQ(HitTestSpots(Packed(200, 157)), NoSpot);
    EXPECT_EQ(HitTestSpots(Packed(200, 262)), NoSpot);
    EXPECT_EQ(HitTestSpots(Packed(0, 0)), NoSpot);
    // Coordinates are unsigned 16-bit values: a "negative" x is far right.
    EXPECT_EQ(HitTestSpots(Packed(0xFFFF, 170)), NoSpot);
}

TEST_F(HotSpotsTest, HitTestingIgnoresTheEnabledFlags)
{
    EnableInstalledSpots(0);
    EXPECT_EQ(HitTestSpots(Packed(200, 170)), SPOT_PLAY);
    EXPECT_EQ(HitTestSpots(Packed(200, 220)), SPOT_CONFIGURE);
}

TEST_F(HotSpotsTest, ArrowsWalkAllCaptionsAndWrapWhenInstalled)
{
    EXPECT_EQ(SelectNextSpot(NoSpot), SPOT_PLAY);
    EXPECT_EQ(SelectNextSpot(SPOT_PLAY), SPOT_INSTALL);
    EXPECT_EQ(SelectNextSpot(SPOT_INSTALL), SPOT_CONFIGURE);
    EXPECT_EQ(SelectNextSpot(SPOT_EXIT), SPOT_PLAY);
    EXPECT_EQ(SelectPreviousSpot(NoSpot), SPOT_EXIT);
    EXPECT_EQ(SelectPreviousSpot(SPOT_PLAY), SPOT_EXIT);
    EXPECT_EQ(SelectPreviousSpot(SPOT_EXIT), SPOT_CONFIGURE);
}

TEST_F(HotSpotsTest, ArrowsSkipDisabledCaptionsBeforeInstallation)
{
    EnableInstalledSpots(0);
    EXPECT_EQ(SelectNextSpot(NoSpot), SPOT_INSTALL);
    EXPECT_EQ(SelectNextSpot(SPOT_INSTALL), SPOT_EXIT) << "Configure is skipped";
    // Forward from Exit lands on PLAY even though it is disabled...
    EXPECT_EQ(SelectNextSpot(SPOT_EXIT), SPOT_PLAY);
    // ...and a second step reaches Install.
    EXPECT_EQ(SelectNextSpot(SPOT_PLAY), SPOT_INSTALL);
    EXPECT_EQ(SelectPreviousSpot(SPOT_INSTALL), SPOT_EXIT) << "PLAY is skipped";
    EXPECT_EQ(SelectPreviousSpot(SPOT_EXIT), SPOT_INSTALL);
}

}  // namespace
