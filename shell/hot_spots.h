// The four captions of the splash that act as buttons, and the selection
// rules of the mouse and the arrow keys. Platform-free, so that the rules
// are tested on the host.
#pragma once

#include <stdint.h>

enum {
    SPOT_PLAY = 0,
    SPOT_INSTALL = 1,
    SPOT_CONFIGURE = 2,
    SPOT_EXIT = 3,
    SpotCount = 4,
    NoSpot = -1
};

// One caption: its rectangle in client pixels (left and top inside, right
// and bottom outside) and whether it reacts to hover, click and Enter.
struct HotSpot {
    int32_t left, top, right, bottom;
    uint32_t enabled;
};

extern HotSpot HotSpots[SpotCount];
extern int32_t CurrentSpot;  // the selected caption, NoSpot for none

// The first caption in table order whose rectangle holds the point packed as
// a mouse message packs it (x in the low 16 bits, y in the high 16 bits, both
// unsigned), or NoSpot. Enabled flags are not looked at.
int32_t HitTestSpots(uint32_t packedPosition);

// The caption that Left/Up selects from current: the previous enabled one,
// wrapping to SPOT_EXIT.
int32_t SelectPreviousSpot(int32_t current);

// The caption that Right/Down selects from current: the next enabled one,
// wrapping to SPOT_PLAY whether or not that one is enabled.
int32_t SelectNextSpot(int32_t current);

// Enables or disables the captions that need an installed demo.
void EnableInstalledSpots(uint32_t enabled);
