#include "tools/lzhpack/match_finder.h"

// The table slots of one position, all hashed from its first eight bytes.
struct PositionHashes {
    uint32_t three;
    uint32_t five;
    uint32_t chain;
};

// The bytes from p to end (fewer than eight) as LoadEightBytes takes them,
// the missing ones zero.
static inline uint64_t LoadLastBytes(const uint8_t *p, const uint8_t *end)
{
    uint64_t value = 0;
    for (int i = 0; p + i < end; i++)
        value |= (uint64_t)p[i] << (8 * i);
    return value;
}

// Multiplicative hashes of the low 3, 5 and ChainPrefixBytes bytes of
// bytes (the caller checks that those bytes exist before using a hash):
// each prefix is moved to the top of a word, so that the bytes after it
// drop out, and the product's top bits are the hash.
static inline PositionHashes HashPosition(uint64_t bytes)
{
    PositionHashes hashes;
    hashes.three = ((uint32_t)bytes << 8) * 2654435761u >> (32 - MatchHashBits);
    hashes.five = (uint32_t)(((bytes << 24) * 0x9E3779B97F4A7C15ull) >> (64 - MatchHashBits));
    hashes.chain = (uint32_t)(((bytes << (64 - 8 * ChainPrefixBytes)) * 0xD6E8FEB86659FD93ull) >>
                              (64 - MatchHashBits));
    return hashes;
}

// How far back from position a table entry lies, by 16-bit arithmetic:
// 0 to 65,535. Only entries 1 to DictionarySize back are used: see
// match_finder.h for why any of those is a real position to compare.
static inline uint16_t EntryBack(size_t position, uint16_t entry)
{
    return (uint16_t)((uint16_t)position - entry);
}

// Enters a position with at least eight bytes after it into every table
// and notes its candidates.
static inline void EnterFullPosition(MatchFinder *finder, size_t position, PositionHashes hashes,
                                     PositionCandidates *noted)
{
    uint16_t entry = (uint16_t)position;
    noted->three = EntryBack(position, finder->latestOfThree[hashes.three]);
    noted->five = EntryBack(position, finder->latestOfFive[hashes.five]);
    uint16_t chainBack = EntryBack(position, finder->chainHead[hashes.chain]);
    noted->chain = chainBack;
    finder->latestOfThree[hashes.three] = entry;
    finder->latestOfFive[hashes.five] = entry;
    // A stale head (0 back) gets the largest link, which ends a walk as any
    // link past the dictionary does.
    finder->chainStep[position & (MatchChainSize - 1)] = chainBack != 0 ? chainBack : 0xFFFF;
    finder->chainHead[hashes.chain] = entry;
}

// The same for one of the last seven positions: the tables whose prefix it
// has, and only the 3-byte candidate (the search needs no other there).
static void EnterLastPosition(MatchFinder *finder, size_t position, PositionCandidates *noted)
{
    const uint8_t *bytes = finder->data + position;
    size_t left = finder->size - position;
    PositionHashes hashes = HashPosition(LoadLastBytes(bytes, finder->data + finder->size));
    uint16_t entry = (uint16_t)position;
    noted->three = left >= 3 ? EntryBack(position, finder->latestOfThree[hashes.three]) : 0;
    noted->five = 0;
    noted->chain = 0;
    if (left >= 3)
        finder->latestOfThree[hashes.three] = entry;
    if (left >= 5)
        finder->latestOfFive[hashes.five] = entry;
}

void StartMatchFinder(MatchFinder *finder, const uint8_t *data, size_t size)
{
    finder->data = data;
    finder->size = size;
    finder->nextEntry = 0;
    memset(finder->latestOfThree, 0, sizeof finder->latestOfThree);
    memset(finder->latestOfFive, 0, sizeof finder->latestOfFive);
    memset(finder->chainHead, 0, sizeof finder->chainHead);
    memset(finder->chainStep, 0xFF, sizeof finder->chainStep);
}

void EnterPositions(MatchFinder *finder, size_t to, PositionCandidates *candidates)
{
    size_t from = finder->nextEntry;
    size_t fullEnd = finder->size >= 8 ? finder->size - 7 : 0;  // positions with eight bytes
    size_t fullTo = to < fullEnd ? to : fullEnd < from ? from : fullEnd;
    size_t position = from;
    for (; position < fullTo; position++)
        EnterFullPosition(finder, position, HashPosition(LoadEightBytes(finder->data + position)),
                          &candidates[position - from]);
    for (; position < to; position++)
        EnterLastPosition(finder, position, &candidates[position - from]);
    finder->nextEntry = to;
}

void RestartMatchFinderAt(MatchFinder *finder, size_t position, PositionCandidates *scratch)
{
    StartMatchFinder(finder, finder->data, finder->size);
    finder->nextEntry = position > DictionarySize ? position - DictionarySize : 0;
    while (finder->nextEntry < position) {
        size_t to = position - finder->nextEntry > EnterAhead ? finder->nextEntry + EnterAhead : position;
        EnterPositions(finder, to, scratch);
    }
}
