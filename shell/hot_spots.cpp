#include "shell/hot_spots.h"

// Every caption is 120 by 26 pixels; the four are stacked without gaps.
HotSpot HotSpots[SpotCount] = {
    {174, 158, 294, 184, 1},  // PLAY
    {174, 184, 294, 210, 1},  // Install, or Un-Install when installed
    {174, 210, 294, 236, 1},  // Configure
    {174, 236, 294, 262, 1},  // Exit
};

int32_t CurrentSpot = NoSpot;

int32_t HitTestSpots(uint32_t packedPosition)
{
    int32_t x = (int32_t)(packedPosition & 0xFFFF);
    int32_t y = (int32_t)(packedPosition >> 16);
    for (int32_t i = 0; i < SpotCount; i++) {
        const HotSpot *spot = &HotSpots[i];
        if (x >= spot->left && x < spot->right && y >= spot->top && y < spot->bottom)
            return i;
    }
    return NoSpot;
}

int32_t SelectPreviousSpot(int32_t current)
{
    int32_t n = current - 1;
    while (n >= 0 && !HotSpots[n].enabled)
        n--;
    if (n < 0)
        n = SPOT_EXIT;
    return n;
}

int32_t SelectNextSpot(int32_t current)
{
    int32_t n = current + 1;
    while (n < SpotCount && !HotSpots[n].enabled)
        n++;
    if (n >= SpotCount)
        n = SPOT_PLAY;
    return n;
}

void EnableInstalledSpots(uint32_t enabled)
{
    HotSpots[SPOT_PLAY].enabled = enabled;
    HotSpots[SPOT_CONFIGURE].enabled = enabled;
}
