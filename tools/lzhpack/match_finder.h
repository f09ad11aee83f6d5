// Finds earlier occurrences of the bytes at each position within the
// "-lh5-" dictionary, for a parse that weighs every match it is given:
// the nearest match of 3 and of 5 bytes from tables of the latest
// positions of each hash, and longer ones further back from hash chains
// over 8-byte prefixes, which hold few candidates that end early.
//
// Positions are entered into the tables a stretch ahead of the search,
// each noting what the tables held for it (EnterPositions), so that the
// entering runs as one loop without branches on the data; the parse then
// searches the positions it needs (SearchPosition).
//
// The tables hold the low 16 bits of positions, and each chain link how
// far back the chain's next position lies. Entries never name a position
// ahead of the one entered, and an entry more than the dictionary back (or
// stale from a multiple of 65,536 bytes back) is either refused by its
// distance or names a real position inside the dictionary whose bytes are
// compared anyway, so no entry can produce a false match, whatever the
// size of the data.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "tools/lzhpack/lh5_token.h"

enum {
    MatchHashBits = 16,
    MatchHashSize = 1 << MatchHashBits,
    EnterAhead = 4096,       // most positions entered and not yet searched
    MatchChainSize = 16384,  // a power of two above DictionarySize + EnterAhead, so
                             // that no link a search may follow has been reused
    MaxMatchPairs = 64,      // room for the pairs of one search
    MaxChainDepth = 48,      // so that a search's candidates fit MaxMatchPairs
    GoodMatchLength = 32,    // after a match this long, a chain is searched a quarter as deep
    ChainPrefixBytes = 8     // bytes a chain's positions have in common (hash collisions aside)
};

// A match of the bytes at a position: length bytes equal to those
// distance + 1 bytes back.
struct MatchPair {
    uint16_t length;
    uint16_t distance;
};

struct MatchFinder {
    const uint8_t *data;
    size_t size;
    size_t nextEntry;  // every position below this is in the tables
    uint16_t latestOfThree[MatchHashSize];  // newest position of each 3-byte hash
    uint16_t latestOfFive[MatchHashSize];   // newest position of each 5-byte hash
    uint16_t chainHead[MatchHashSize];      // newest position of each chain
    uint16_t chainStep[MatchChainSize];     // how far back the next position of each one's chain lies
};

// What the tables held for one position before it was entered: how far
// back the latest position with the same 3- and 5-byte hash lies, and the
// newest entry of its chain (0 or more than DictionarySize back: none).
struct PositionCandidates {
    uint16_t three;
    uint16_t five;
    uint16_t chain;
};

// Prepares finder to search data[0..size).
void StartMatchFinder(MatchFinder *finder, const uint8_t *data, size_t size);

// Enters the positions from finder->nextEntry up to (not including) to,
// at most EnterAhead of them, noting the candidates of the i-th in
// candidates[i].
void EnterPositions(MatchFinder *finder, size_t to, PositionCandidates *candidates);

// Starts finder afresh over the same data, with the dictionary before
// position (up to DictionarySize bytes) entered again, so that a stretch
// from position on can be parsed once more. scratch (EnterAhead entries)
// takes the candidates noted on the way, which no search needs.
void RestartMatchFinderAt(MatchFinder *finder, size_t position, PositionCandidates *scratch);

// ---- Searching one position: inline, as the parse does it at nearly
// every position.

// The eight bytes at p as a little-endian number, whatever the host's byte
// order, so that the archive's bytes do not depend on it.
static inline uint64_t LoadEightBytes(const uint8_t *p)
{
    uint64_t value;
    memcpy(&value, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    value = __builtin_bswap64(value);
#endif
    return value;
}

// How many bytes, up to limit, a and b have in common at their start, when
// their first `from` bytes are known to be equal. Compares eight bytes at a
// time while that many are left before limit.
static inline int CommonPrefixLength(const uint8_t *a, const uint8_t *b, int from, int limit)
{
    int length = from;
    while (length + 8 <= limit) {
        uint64_t difference = LoadEightBytes(a + length) ^ LoadEightBytes(b + length);
        if (difference != 0)
            return length + (__builtin_ctzll(difference) >> 3);  // the lowest byte is the first
        length += 8;
    }
    while (length < limit && a[length] == b[length])
        length++;
    return length;
}

// The match length, up to limit, of an earlier position against the
// current one, whose first eight bytes are currentBytes. Both must have
// eight bytes before the end of the data.
static inline int MatchLength(const uint8_t *earlier, const uint8_t *current, uint64_t currentBytes,
                              int limit)
{
    uint64_t difference = LoadEightBytes(earlier) ^ currentBytes;
    if (difference != 0) {
        int length = __builtin_ctzll(difference) >> 3;
        return length < limit ? length : limit;
    }
    return limit <= 8 ? limit : CommonPrefixLength(earlier, current, 8, limit);
}

// Whether a candidate back bytes back lies in the dictionary (distance
// back - 1 from 0 to DictionarySize - 1).
static inline int InDictionary(uint32_t back)
{
    return back - 1u < (uint32_t)DictionarySize;
}

// The matches found so far in one search: count pairs and the longest
// length.
struct SearchState {
    MatchPair *pairs;
    int count;
    int bestLength;
};

// Records a match of length bytes back bytes back if it is longer than the
// best so far. Written without branches on the outcome, which follows the
// data: the slot after the last pair is written either way.
static inline void RecordMatch(SearchState *state, int length, uint32_t back)
{
    int take = length > state->bestLength;
    state->pairs[state->count].length = (uint16_t)length;
    state->pairs[state->count].distance = (uint16_t)(back - 1);
    state->count += take;
    state->bestLength = take ? length : state->bestLength;
}

// Weighs the candidate back bytes back, which need not lie within the
// dictionary but is never ahead of current.
static inline void ConsiderCandidate(SearchState *state, uint32_t back, const uint8_t *current,
                                     uint64_t currentBytes, int maxLength)
{
    if (!InDictionary(back))
        return;
    RecordMatch(state, MatchLength(current - back, current, currentBytes, maxLength), back);
}

// Walks a chain from the entry back bytes back, newest first, examining
// at most depth candidates. Links only grow the distance, so a walk ends
// at the dictionary's edge if not before.
static inline void WalkChain(SearchState *state, const uint16_t *step, uint32_t back, int depth,
                             const uint8_t *current, uint64_t currentBytes, size_t position, int maxLength)
{
    while (state->bestLength < maxLength) {
        // Skip the candidates that differ at the best match's end: no
        // longer match is among them.
        int best = state->bestLength;
        uint8_t wanted = current[best];
        for (;;) {
            if (!InDictionary(back) || depth == 0)
                return;
            depth--;
            if (current[best - (int)back] == wanted)
                break;
            back += step[(position - back) & (MatchChainSize - 1)];
        }
        int length = MatchLength(current - back, current, currentBytes, maxLength);
        if (best < GoodMatchLength && length >= GoodMatchLength)
            depth >>= 2;
        RecordMatch(state, length, back);
        back += step[(position - back) & (MatchChainSize - 1)];
    }
}

// Finds the matches of an entered position with noted candidates, at most
// maxLength (3 to MaxMatchLength, and no more than the bytes left) bytes
// long, looking at most at chainDepth (1 to MaxChainDepth) chain
// candidates, and stores them at found (room for MaxMatchPairs) in order of
// increasing length, each the nearest occurrence found for its length.
// Returns how many there are.
static inline int SearchPosition(const MatchFinder *finder, size_t position, int maxLength,
                                 const PositionCandidates *noted, int chainDepth, MatchPair *found)
{
    const uint8_t *current = finder->data + position;
    SearchState state;
    state.pairs = found;
    state.count = 0;
    state.bestLength = MinMatchLength - 1;
    if (finder->size - position >= 8) {
        uint64_t currentBytes = LoadEightBytes(current);
        // Each table holds the latest position with its hash: without a
        // 3-byte candidate in the dictionary there is no match there at
        // all, and without a 5-byte one no chain candidate can match 8
        // bytes.
        if (!InDictionary(noted->three))
            return 0;
        ConsiderCandidate(&state, noted->three, current, currentBytes, maxLength);
        if (!InDictionary(noted->five))
            return state.count;
        ConsiderCandidate(&state, noted->five, current, currentBytes, maxLength);
        WalkChain(&state, finder->chainStep, noted->chain, chainDepth, current, currentBytes, position,
                  maxLength);
    } else if (InDictionary(noted->three)) {
        // One of the last seven positions: only the nearest 3-byte match,
        // compared byte by byte.
        int length = 0;
        while (length < maxLength && current[length - (int)noted->three] == current[length])
            length++;
        RecordMatch(&state, length, noted->three);
    }
    return state.count;
}
