// Finds earlier occurrences of the bytes at each position within the
// "-lh5-" dictionary, for a parse that weighs every match it is given:
// the nearest 3- and 4-byte matches from tables of the latest positions,
// the nearest few of 5 bytes or more from short hash chains (over 5-byte
// prefixes), and longer ones further back from long chains (over 8-byte
// prefixes), which hold far fewer candidates that end early.
//
// The tables hold the low 16 bits of positions, and each chain link how
// far back the chain's next position lies. Entries never name a position
// ahead of the search, and an entry more than the dictionary back (or
// stale from a multiple of 65,536 bytes back) is either refused by its
// distance or names a real position inside the dictionary whose bytes are
// compared anyway, so no entry can produce a false match, whatever the
// size of the data.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <vector>

enum {
    MatchHashBits = 14,
    MatchHashSize = 1 << MatchHashBits,
    MatchChainSize = 16384,  // a power of two larger than the dictionary
    MaxMatchPairs = 64,      // most (length, distance) pairs reported for one position
    GoodMatchLength = 32,    // after a match this long, a chain is searched a quarter as deep
    ShortChainBytes = 5,     // bytes a short chain's positions have in common (hash collisions aside)
    LongChainBytes = 8       // the same for a long chain
};

// A match of the bytes at a position: length bytes equal to those
// distance + 1 bytes back.
struct MatchPair {
    uint16_t length;
    uint16_t distance;
};

// One kind of hash chain: the newest position of each hash, and for each
// position how far back the next one of its chain lies.
struct MatchChains {
    uint16_t head[MatchHashSize];
    uint16_t step[MatchChainSize];
};

struct MatchFinder {
    const uint8_t *data;
    size_t size;
    size_t nextInsert;  // every position below this is in the tables
    int shortDepth;     // candidates examined per search in a short chain
    int longDepth;      // and in a long chain
    int niceLength;     // see FindChunkMatches
    uint16_t latestOfThree[MatchHashSize];  // newest position of each 3-byte hash
    uint16_t latestOfFour[MatchHashSize];   // newest position of each 4-byte hash
    MatchChains shortChains;
    MatchChains longChains;
};

// The matches of every position of a stretch of the data: those of the
// stretch's position i are pairs[first[i]] .. pairs[first[i + 1] - 1], in
// order of increasing length and of increasing position code (a shorter
// match whose distance costs no less than a longer one's is left out).
// pairs is kept larger than its used part, which first's last entry gives.
struct ChunkMatches {
    std::vector<uint32_t> first;
    std::vector<MatchPair> pairs;
};

// Prepares finder to search data[0..size). The depths bound the work per
// position (each at least 1).
void StartMatchFinder(MatchFinder *finder, const uint8_t *data, size_t size, int shortDepth,
                      int longDepth, int niceLength);

// Finds the matches of each position of data[start..end), the stretch
// that follows the previous call's (start 0 at first), and enters them
// into the tables. Matches stay within the stretch: at most end - position
// and at most MaxMatchLength bytes long, and at least 3. A position inside
// a match of niceLength or more bytes found earlier in the stretch gets no
// matches: a parse takes such a match whole.
void FindChunkMatches(MatchFinder *finder, size_t start, size_t end, ChunkMatches *matches);
