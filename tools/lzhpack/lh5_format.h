// Figures of the "-lh5-" stream shared by the packer's parts.
#pragma once

#include <stdint.h>

enum {
    DictionarySize = 8192,  // the sliding dictionary; a match reaches at most this far back
    MinMatchLength = 3,     // shortest match the character/length code can express
    MaxMatchLength = 256,   // longest one: code 509 means 509 - 253 bytes
    NumCharCodes = 510,     // 256 literal bytes and 254 match lengths
    NumPosCodes = 14,       // position codes: 0 for distance 0, j for 2^(j-1) .. 2^j - 1
    NumPreCodes = 19,       // pre-tree codes that describe the character code lengths
    MaxBlockCodes = 65535,  // the 16-bit code count of a block header
    FirstMatchCode = 256    // character/length code of a match of MinMatchLength
};

// Bit-field widths of the block header.
enum {
    BlockCountBits = 16,
    PreCountBits = 5,
    CharCountBits = 9,
    PosCountBits = 4,
    PreTreeSpecialIndex = 3  // a 2-bit count of zero lengths follows the third pre-tree length
};

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
