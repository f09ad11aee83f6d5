#include "tools/lzhpack/match_finder.h"

#include "tools/lzhpack/lh5_format.h"

#include <string.h>

// Hash of the three bytes at p (the caller checks that they exist).
static inline uint32_t HashThree(const uint8_t *p)
{
    uint32_t value = (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
    return (value * 2654435761u) >> (32 - MatchHashBits);
}

// Links position into its hash chain when three bytes are left there.
static inline void InsertPosition(MatchFinder *finder, size_t position)
{
    if (position + 3 > finder->size)
        return;
    uint32_t hash = HashThree(finder->data + position);
    finder->previous[position & (MatchChainSize - 1)] = finder->head[hash];
    finder->head[hash] = (int32_t)position;
}

void StartMatchFinder(MatchFinder *finder, const uint8_t *data, size_t size, int chainDepth)
{
    finder->data = data;
    finder->size = size;
    finder->nextInsert = 0;
    finder->chainDepth = chainDepth < 1 ? 1 : chainDepth;
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

int FindMatches(MatchFinder *finder, size_t position, int maxLength, MatchPair *pairs)
{
    SkipMatchPositions(finder, position);
    int found = 0;
    if (maxLength >= MinMatchLength && position + 3 <= finder->size) {
        const uint8_t *current = finder->data + position;
        // The chain entry of a position more than the dictionary back may
        // have been reused, so the walk stops at the dictionary's edge.
        size_t oldest = position > DictionarySize ? position - DictionarySize : 0;
        int32_t candidate = finder->head[HashThree(current)];
        int bestLength = MinMatchLength - 1;
        int depth = finder->chainDepth;
        while (candidate >= 0 && (size_t)candidate >= oldest && depth-- > 0) {
            const uint8_t *earlier = finder->data + candidate;
            if (earlier[bestLength] == current[bestLength] && earlier[0] == current[0]) {
                int length = 0;
                while (length < maxLength && earlier[length] == current[length])
                    length++;
                if (length > bestLength) {
                    bestLength = length;
                    if (found == MaxMatchPairs)
                        found--;  // the longer match takes the last slot
                    pairs[found].length = (uint16_t)length;
                    pairs[found].distance = (uint16_t)(position - (size_t)candidate - 1);
                    found++;
                    if (length >= maxLength)
                        break;
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
