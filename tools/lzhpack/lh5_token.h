// The packer's unit of a parsed "-lh5-" stream (the method's figures are in
// archive/lh5_format.h, shared with the decoder).
#pragma once

#include <stdint.h>

#include "archive/lh5_format.h"

// One coded item: a literal byte (code < 256) or a match (code 256..509,
// length code - 253) with its distance (0..8191; the match starts
// distance + 1 bytes back).
struct Lh5Token {
    uint16_t code;
    uint16_t distance;
};

// The position code of a distance: 0 for 0, else the number of significant
// bits of the distance (1..13). Counted as the bits of 2 * distance + 1,
// one more than those of the distance and never none, so that no branch is
// needed for 0.
static inline int PositionCode(unsigned distance)
{
    return 31 - __builtin_clz(2 * distance + 1);
}
