#include "tools/lzhpack/match_finder.h"

#include "tools/lzhpack/lh5_format.h"

#include <string.h>

// Hashes of the three, four and ChainPrefixBytes bytes at p (the caller
// checks that they exist).
static inline uint32_t HashThree(const uint8_t *p)
{
    uint32_t value = (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
    return (value * 2654435761u) >> (32 - MatchHashBits);
}

static inline uint32_t HashFour(const uint8_t *p)
{
    uint32_t value;
    memcpy(&value, p, 4);
    return (value * 2654435761u) >> (32 - MatchHashBits);
}

static inline uint32_t HashChainPrefix(const uint8_t *p)
{
    uint32_t low;
    uint16_t high;
    memcpy(&low, p, 4);
    memcpy(&high, p + 4, 2);
    uint64_t value = (uint64_t)low | (uint64_t)high << 32;
    return (uint32_t)((value * 0x9E3779B97F4A7C15ull) >> (64 - MatchHashBits));
}

static inline int IsLittleEndian(void)
{
    const uint16_t probe = 1;
    uint8_t first;
    memcpy(&first, &probe, 1);
    return first == 1;
}

// How many bytes, up to limit, a and b have in common at their start.
// Compares eight bytes at a time while that many are left.
static inline int CommonPrefixLength(const uint8_t *a, const uint8_t *b, int limit)
{
    int length = 0;
    while (length + 8 <= limit) {
        uint64_t wordA, wordB;
        memcpy(&wordA, a + length, 8);
        memcpy(&wordB, b + length, 8);
        uint64_t difference = wordA ^ wordB;
        if (difference != 0) {
            // The first differing byte is the lowest one in memory order.
            if (IsLittleEndian())
                return length + (__builtin_ctzll(difference) >> 3);
            break;
        }
        length += 8;
    }
    while (length < limit && a[length] == b[length])
        length++;
    return length;
}

// Records position as the latest of its 3- and 4-byte hashes, and links
// it into the chain of its longer prefix when those bytes are there.
static inline void InsertPosition(MatchFinder *finder, size_t position)
{
    if (position + 3 > finder->size)
        return;
    const uint8_t *bytes = finder->data + position;
    finder->latestOfThree[HashThree(bytes)] = (int32_t)position;
    if (position + 4 > finder->size)
        return;
    finder->latestOfFour[HashFour(bytes)] = (int32_t)position;
    if (position + ChainPrefixBytes > finder->size)
        return;
    uint32_t hash = HashChainPrefix(bytes);
    finder->previous[position & (MatchChainSize - 1)] = finder->head[hash];
    finder->head[hash] = (int32_t)position;
}

void StartMatchFinder(MatchFinder *finder, const uint8_t *data, size_t size, int chainDepth,
                      int niceLength)
{
    finder->niceLength = niceLength < MinMatchLength ? MinMatchLength : niceLength;
    finder->data = data;
    finder->size = size;
    finder->nextInsert = 0;
    finder->chainDepth = chainDepth < 1 ? 1 : chainDepth;
    memset(finder->latestOfThree, 0xFF, sizeof finder->latestOfThree);
    memset(finder->latestOfFour, 0xFF, sizeof finder->latestOfFour);
    memset(finder->head, 0xFF, sizeof finder->head);
    memset(finder->previous, 0xFF, sizeof finder->previous);
}

void SkipMatchPositions(MatchFinder *finder, size_t end)
{
    while (finder->nextInsert < end) {
        InsertPosition(finder, finder->nextInsert);
        finder->nextInsert++;
    }
}

// Stores a match longer than every earlier one of this search.
static inline void AddPair(MatchPair *pairs, int *found, int length, uint32_t distance)
{
    if (*found == MaxMatchPairs)
        (*found)--;  // the longer match takes the last slot
    pairs[*found].length = (uint16_t)length;
    pairs[*found].distance = (uint16_t)distance;
    (*found)++;
}

int FindMatches(MatchFinder *finder, size_t position, int maxLength, MatchPair *pairs)
{
    SkipMatchPositions(finder, position);
    int found = 0;
    if (maxLength >= MinMatchLength && position + 3 <= finder->size) {
        const uint8_t *current = finder->data + position;
        // Entries more than the dictionary back may have been reused, so
        // every candidate is checked against the dictionary's edge.
        size_t oldest = position > DictionarySize ? position - DictionarySize : 0;
        int bestLength = MinMatchLength - 1;

        // The nearest 3- and 4-byte matches, which the chains do not see.
        int32_t nearest = finder->latestOfThree[HashThree(current)];
        if (nearest >= 0 && (size_t)nearest >= oldest) {
            int length = CommonPrefixLength(finder->data + nearest, current, maxLength);
            if (length >= MinMatchLength) {
                AddPair(pairs, &found, length, (uint32_t)(position - (size_t)nearest - 1));
                bestLength = length;
            }
        }
        if (position + 4 <= finder->size && bestLength < maxLength) {
            int32_t nearestFour = finder->latestOfFour[HashFour(current)];
            if (nearestFour >= 0 && (size_t)nearestFour >= oldest && nearestFour != nearest) {
                int length = CommonPrefixLength(finder->data + nearestFour, current, maxLength);
                if (length > bestLength) {
                    AddPair(pairs, &found, length, (uint32_t)(position - (size_t)nearestFour - 1));
                    bestLength = length;
                }
            }
        }

        int32_t candidate =
            position + ChainPrefixBytes <= finder->size ? finder->head[HashChainPrefix(current)] : -1;
        int depth = finder->chainDepth;
        while (bestLength < maxLength && bestLength < finder->niceLength && candidate >= 0 &&
               (size_t)candidate >= oldest && depth-- > 0) {
            const uint8_t *earlier = finder->data + candidate;
            if (earlier[bestLength] == current[bestLength] && earlier[0] == current[0]) {
                int length = CommonPrefixLength(earlier, current, maxLength);
                if (length > bestLength) {
                    if (bestLength < GoodMatchLength && length >= GoodMatchLength)
                        depth >>= 2;
                    bestLength = length;
                    AddPair(pairs, &found, length, (uint32_t)(position - (size_t)candidate - 1));
                }
            }
            int32_t next = finder->previous[candidate & (MatchChainSize - 1)];
            if (next >= candidate)
                break;  // a reused entry: the chain ends here
            candidate = next;
        }
    }
    InsertPosition(finder, position);
    finder->nextInsert = position + 1;
    return found;
}
