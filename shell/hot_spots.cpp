#include "shell/hot_spots.h"

#include "shell/splash_layout.h"

// The caption in the given row: the four are stacked without gaps.
#define CAPTION_RECTANGLE(row) \
    CaptionLeft, CaptionTop + (row) * CaptionHeight, CaptionLeft + CaptionWidth, \
        CaptionTop + ((row) + 1) * CaptionHeight

HotSpot HotSpots[SpotCount] = {
    {CAPTION_RECTANGLE(SPOT_PLAY), 1},
    {CAPTION_RECTANGLE(SPOT_INSTALL), 1},  // Install, or Un-Install when installed
    {CAPTION_RECTANGLE(SPOT_CONFIGURE), 1},
    {CAPTION_RECTANGLE(SPOT_EXIT), 1},
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
