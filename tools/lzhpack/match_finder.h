// Finds earlier occurrences of the bytes at a position within the
// "-lh5-" dictionary: the nearest 3- and 4-byte matches from tables of the
// latest positions, longer ones from hash chains over 6-byte prefixes (so
// that a chain holds few candidates that end in a short match).
#pragma once

#include <stddef.h>
#include <stdint.h>

enum {
    MatchHashBits = 14,
    MatchHashSize = 1 << MatchHashBits,
    MatchChainSize = 16384,  // a power of two at least twice the dictionary
    MaxMatchPairs = 64,      // most (length, distance) pairs reported for one position
    GoodMatchLength = 32,
    ChainPrefixBytes = 6     // bytes a chain's positions have in common (hash collisions aside)
};

// A match of the bytes at the current position: length bytes equal to
// those distance + 1 bytes back.
struct MatchPair {
    uint16_t length;
    uint16_t distance;
};

struct MatchFinder {
    const uint8_t *data;
    size_t size;
    size_t nextInsert;  // every position below this is in the chains
    int chainDepth;     // candidates examined per search
    int niceLength;     // a match this long ends the search
    int32_t latestOfThree[MatchHashSize];  // newest position of each 3-byte hash
    int32_t latestOfFour[MatchHashSize];   // newest position of each 4-byte hash
    int32_t head[MatchHashSize];           // newest position of each chain
    int32_t previous[MatchChainSize];
};

// Prepares finder to search data[0..size). chainDepth bounds the work per
// position (at least 1); once a match of niceLength bytes is found, the
// search stops, and after one of GoodMatchLength bytes it looks at a quarter
// of the remaining candidates only.
void StartMatchFinder(MatchFinder *finder, const uint8_t *data, size_t size, int chainDepth,
                      int niceLength);

// Finds matches for the bytes at position, which must be the next position
// not yet in the chains; the position is then added. A match is at most
// maxLength bytes long (maxLength <= MaxMatchLength and position +
// maxLength <= size) and at least 3. Stores pairs in order of increasing
// length, each the nearest occurrence found for its length, and returns how
// many (at most MaxMatchPairs).
int FindMatches(MatchFinder *finder, size_t position, int maxLength, MatchPair *pairs);

// Adds positions up to (not including) end to the chains without searching.
void SkipMatchPositions(MatchFinder *finder, size_t end);
