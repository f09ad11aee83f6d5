#include "tools/lzhpack/match_finder.h"

#include <string.h>

#include "tools/lzhpack/lh5_format.h"

// The table slots of one position, all hashed from its first eight bytes.
struct PositionHashes {
    uint32_t three;
    uint32_t four;
    uint32_t shortChain;
    uint32_t longChain;
};

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

// The bytes from p to end (fewer than eight) as LoadEightBytes takes them,
// the missing ones zero.
static inline uint64_t LoadLastBytes(const uint8_t *p, const uint8_t *end)
{
    uint64_t value = 0;
    for (int i = 0; p + i < end; i++)
        value |= (uint64_t)p[i] << (8 * i);
    return value;
}

// Multiplicative hashes of the low 3, 4, ShortChainBytes and
// LongChainBytes bytes of bytes (the caller checks that those bytes exist
// before using a hash): each prefix is moved to the top of a word, so that
// the bytes after it drop out, and the product's top bits are the hash.
static inline PositionHashes HashPosition(uint64_t bytes)
{
    PositionHashes hashes;
    hashes.three = ((uint32_t)bytes << 8) * 2654435761u >> (32 - MatchHashBits);
    hashes.four = (uint32_t)bytes * 2654435761u >> (32 - MatchHashBits);
    hashes.shortChain = (uint32_t)(((bytes << (64 - 8 * ShortChainBytes)) * 0x9E3779B97F4A7C15ull) >>
                                   (64 - MatchHashBits));
    hashes.longChain = (uint32_t)(((bytes << (64 - 8 * LongChainBytes)) * 0xD6E8FEB86659FD93ull) >>
                                  (64 - MatchHashBits));
    return hashes;
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

// How far back from position a table entry lies, by 16-bit arithmetic:
// 0 to 65,535. Only entries 1 to DictionarySize back are used: see
// match_finder.h for why any of those is a real position to compare.
static inline uint32_t EntryBack(size_t position, uint16_t entry)
{
    return (uint16_t)((uint16_t)position - entry);
}

static inline int InDictionary(uint32_t back)
{
    return back - 1u < (uint32_t)DictionarySize;
}

// Makes position the newest of its chain, whose newest entry was
// oldHead: its link says how far back that entry lies (65,535 for a stale
// one, which ends a walk as any link past the dictionary does).
static inline void LinkChain(MatchChains *chains, uint32_t hash, size_t position, uint16_t oldHead)
{
    uint32_t back = EntryBack(position, oldHead);
    chains->step[position & (MatchChainSize - 1)] = (uint16_t)(back != 0 ? back : 0xFFFF);
    chains->head[hash] = (uint16_t)position;
}

// Enters a position with at least eight bytes after it into every table.
static inline void InsertFullPosition(MatchFinder *finder, size_t position, PositionHashes hashes)
{
    finder->latestOfThree[hashes.three] = (uint16_t)position;
    finder->latestOfFour[hashes.four] = (uint16_t)position;
    LinkChain(&finder->shortChains, hashes.shortChain, position, finder->shortChains.head[hashes.shortChain]);
    LinkChain(&finder->longChains, hashes.longChain, position, finder->longChains.head[hashes.longChain]);
}

// Enters any position into the tables whose prefix it has.
static inline void InsertPosition(MatchFinder *finder, size_t position)
{
    const uint8_t *bytes = finder->data + position;
    size_t left = finder->size - position;
    if (left >= 8) {
        InsertFullPosition(finder, position, HashPosition(LoadEightBytes(bytes)));
        return;
    }
    PositionHashes hashes = HashPosition(LoadLastBytes(bytes, finder->data + finder->size));
    if (left >= 3)
        finder->latestOfThree[hashes.three] = (uint16_t)position;
    if (left >= 4)
        finder->latestOfFour[hashes.four] = (uint16_t)position;
    if (left >= ShortChainBytes)
        LinkChain(&finder->shortChains, hashes.shortChain, position, finder->shortChains.head[hashes.shortChain]);
}

static void ClearChains(MatchChains *chains)
{
    memset(chains->head, 0, sizeof chains->head);
    memset(chains->step, 0xFF, sizeof chains->step);
}

void StartMatchFinder(MatchFinder *finder, const uint8_t *data, size_t size, int shortDepth,
                      int longDepth, int niceLength)
{
    finder->data = data;
    finder->size = size;
    finder->nextInsert = 0;
    finder->shortDepth = shortDepth < 1 ? 1 : shortDepth;
    finder->longDepth = longDepth < 1 ? 1 : longDepth;
    finder->niceLength = niceLength < MinMatchLength ? MinMatchLength : niceLength;
    memset(finder->latestOfThree, 0, sizeof finder->latestOfThree);
    memset(finder->latestOfFour, 0, sizeof finder->latestOfFour);
    ClearChains(&finder->shortChains);
    ClearChains(&finder->longChains);
}

// Appends a match longer than every earlier one of this search to the
// count pairs there are and returns the new count. Earlier pairs whose
// position code is not below this one's are dropped: this match serves
// their lengths at no greater cost.
static inline int AddPair(MatchPair *pairs, int count, int length, uint32_t distance)
{
    int code = PositionCode(distance);
    while (count > 0 && PositionCode(pairs[count - 1].distance) >= code)
        count--;
    if (count == MaxMatchPairs)
        count--;  // the longer match takes the last slot
    pairs[count].length = (uint16_t)length;
    pairs[count].distance = (uint16_t)distance;
    return count + 1;
}

// Walks a chain from the entry back bytes back from current (at
// position), newest first, examining at most depth candidates, and adds
// each match longer than *bestLength to pairs (count of them so far).
// Links only grow the distance, so a walk ends at the dictionary's edge if
// not before.
__attribute__((always_inline)) static inline void WalkChain(const uint16_t *step, uint32_t back, int depth, const uint8_t *current,
                             uint64_t currentBytes, size_t position, int maxLength, int *bestLength,
                             MatchPair *pairs, int *count)
{
    int best = *bestLength;
    while (best < maxLength) {
        // Skip the candidates that differ at the best match's end: no
        // longer match is among them.
        uint8_t wanted = current[best];
        for (;;) {
            if (!InDictionary(back) || depth == 0) {
                *bestLength = best;
                return;
            }
            depth--;
            if (current[best - (int)back] == wanted)
                break;
            back += step[(position - back) & (MatchChainSize - 1)];
        }
        int length = MatchLength(current - back, current, currentBytes, maxLength);
        if (length > best) {
            if (best < GoodMatchLength && length >= GoodMatchLength)
                depth >>= 2;
            best = length;
            *count = AddPair(pairs, *count, length, back - 1);
        }
        back += step[(position - back) & (MatchChainSize - 1)];
    }
    *bestLength = best;
}

// What the tables held for one position before it was entered: how far
// back the latest position with the same 3-byte and 4-byte hash lies, and
// the newest entry of each of its chains (0 or more than the dictionary
// back: none).
struct PositionCandidates {
    uint16_t three;
    uint16_t four;
    uint16_t shortChain;
    uint16_t longChain;
};

enum { EnterAhead = 4096 };  // positions entered before they are searched; with the
                             // dictionary, less than MatchChainSize, so that no link
                             // a search may follow has been reused

// Enters positions [from, to) into the tables, noting each one's
// candidates.
static void EnterPositions(MatchFinder *finder, size_t from, size_t to, PositionCandidates *candidates)
{
    const uint8_t *data = finder->data;
    size_t fullEnd = finder->size >= 8 ? finder->size - 7 : 0;  // positions with eight bytes
    size_t position = from;
    for (; position < to && position < fullEnd; position++) {
        PositionHashes hashes = HashPosition(LoadEightBytes(data + position));
        PositionCandidates *noted = &candidates[position - from];
        noted->three = (uint16_t)EntryBack(position, finder->latestOfThree[hashes.three]);
        noted->four = (uint16_t)EntryBack(position, finder->latestOfFour[hashes.four]);
        uint16_t shortHead = finder->shortChains.head[hashes.shortChain];
        uint16_t longHead = finder->longChains.head[hashes.longChain];
        noted->shortChain = (uint16_t)EntryBack(position, shortHead);
        noted->longChain = (uint16_t)EntryBack(position, longHead);
        finder->latestOfThree[hashes.three] = (uint16_t)position;
        finder->latestOfFour[hashes.four] = (uint16_t)position;
        LinkChain(&finder->shortChains, hashes.shortChain, position, shortHead);
        LinkChain(&finder->longChains, hashes.longChain, position, longHead);
    }
    for (; position < to; position++) {
        PositionCandidates *noted = &candidates[position - from];
        PositionHashes hashes = HashPosition(LoadLastBytes(data + position, data + finder->size));
        noted->three = (uint16_t)EntryBack(position, finder->latestOfThree[hashes.three]);
        noted->four = 0;
        noted->shortChain = 0;
        noted->longChain = 0;
        InsertPosition(finder, position);
    }
}

// Finds the matches of one position with at least eight bytes after it
// (maxLength 3 to MaxMatchLength) from its candidates, stores them at
// found, and returns how many there are; *bestLength gets the longest
// length (2 when none).
static inline int SearchPosition(const MatchFinder *finder, size_t position, int maxLength,
                                 PositionCandidates noted, MatchPair *found, int *bestLength)
{
    const uint8_t *current = finder->data + position;
    uint64_t currentBytes = LoadEightBytes(current);
    int count = 0;
    int best = MinMatchLength - 1;
    // The nearest 3- and 4-byte matches, which the chains do not see;
    // then the chains.
    if (InDictionary(noted.three)) {
        int length = MatchLength(current - noted.three, current, currentBytes, maxLength);
        if (length >= MinMatchLength) {
            count = AddPair(found, 0, length, noted.three - 1u);
            best = length;
        }
    }
    if (noted.four != noted.three && InDictionary(noted.four) && best < maxLength) {
        int length = MatchLength(current - noted.four, current, currentBytes, maxLength);
        if (length > best) {
            count = AddPair(found, count, length, noted.four - 1u);
            best = length;
        }
    }
    WalkChain(finder->shortChains.step, noted.shortChain, finder->shortDepth, current, currentBytes,
              position, maxLength, &best, found, &count);
    WalkChain(finder->longChains.step, noted.longChain, finder->longDepth, current, currentBytes,
              position, maxLength, &best, found, &count);
    *bestLength = best;
    return count;
}

// The same for one of the last seven positions of the data: only the
// nearest 3-byte match, compared byte by byte.
static int SearchLastPosition(const MatchFinder *finder, size_t position, int maxLength,
                              PositionCandidates noted, MatchPair *found, int *bestLength)
{
    const uint8_t *current = finder->data + position;
    *bestLength = MinMatchLength - 1;
    if (!InDictionary(noted.three))
        return 0;
    int length = 0;
    while (length < maxLength && current[length - (int)noted.three] == current[length])
        length++;
    if (length < MinMatchLength)
        return 0;
    *bestLength = length;
    return AddPair(found, 0, length, noted.three - 1u);
}

void FindChunkMatches(MatchFinder *finder, size_t start, size_t end, ChunkMatches *matches)
{
    while (finder->nextInsert < start)
        InsertPosition(finder, finder->nextInsert++);
    size_t length = end - start;
    matches->first.resize(length + 1);
    uint32_t *first = matches->first.data();
    if (matches->pairs.size() < 2 * length + MaxMatchPairs)
        matches->pairs.resize(2 * length + MaxMatchPairs);
    MatchPair *pairs = matches->pairs.data();
    size_t room = matches->pairs.size() - MaxMatchPairs;  // a search may start at most here
    size_t used = 0;
    size_t skipUntil = start;
    size_t fullEnd = finder->size >= 8 ? finder->size - 7 : 0;
    PositionCandidates candidates[EnterAhead];

    for (size_t from = start; from < end; from += EnterAhead) {
        size_t to = end - from > EnterAhead ? from + EnterAhead : end;
        EnterPositions(finder, from, to, candidates);
        for (size_t position = from; position < to; position++) {
            first[position - start] = (uint32_t)used;
            size_t left = end - position;
            if (position < skipUntil || left < MinMatchLength)
                continue;
            if (used > room) {
                matches->pairs.resize(matches->pairs.size() * 2);
                pairs = matches->pairs.data();
                room = matches->pairs.size() - MaxMatchPairs;
            }
            int maxLength = left < MaxMatchLength ? (int)left : MaxMatchLength;
            int bestLength;
            if (position < fullEnd)
                used += (size_t)SearchPosition(finder, position, maxLength, candidates[position - from],
                                               pairs + used, &bestLength);
            else
                used += (size_t)SearchLastPosition(finder, position, maxLength, candidates[position - from],
                                                   pairs + used, &bestLength);
            if (bestLength >= finder->niceLength)
                skipUntil = position + (size_t)bestLength;
        }
    }
    first[length] = (uint32_t)used;
    finder->nextInsert = end;
}
