#include "tools/lzhpack/tree_match_finder.h"

#include <string.h>

// The tree of the three bytes at p.
static uint32_t ThreeByteHash(const uint8_t *p)
{
    uint32_t bytes = (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16;
    return (bytes * 2654435761u) >> (32 - TreeHashBits);
}

void StartTreeMatchFinder(TreeMatchFinder *finder, const uint8_t *data, size_t size)
{
    finder->data = data;
    finder->size = size;
    finder->next = 0;
    memset(finder->root, 0, sizeof finder->root);
    memset(finder->smaller, 0, sizeof finder->smaller);
    memset(finder->larger, 0, sizeof finder->larger);
}

int EnterTreePosition(TreeMatchFinder *finder, int limit, int depth, MatchPair *found)
{
    size_t position = finder->next++;
    size_t left = finder->size - position;
    if (left < MinMatchLength)
        return 0;  // too near the end to start a match, or to be one
    int compareLimit = left < MaxMatchLength ? (int)left : MaxMatchLength;
    const uint8_t *current = finder->data + position;
    uint32_t hash = ThreeByteHash(current);
    uint32_t candidate = finder->root[hash];
    finder->root[hash] = (uint32_t)position + 1;

    // Where the next node found to sort before (after) the current
    // position joins the tree, as the current position's subtree on that
    // side; and how many bytes every node still to be met on that side is
    // known to share with it.
    size_t slot = position & (TreeCycle - 1);
    uint32_t *smallerSlot = &finder->smaller[slot];
    uint32_t *largerSlot = &finder->larger[slot];
    int smallerShared = 0, largerShared = 0;
    int count = 0, best = MinMatchLength - 1;
    for (;;) {
        size_t back = position + 1 - candidate;
        if (candidate == 0 || back > DictionarySize || depth-- == 0) {
            *smallerSlot = 0;
            *largerSlot = 0;
            return count;
        }
        const uint8_t *earlier = current - back;
        size_t node = (position - back) & (TreeCycle - 1);
        int shared = smallerShared < largerShared ? smallerShared : largerShared;
        int length = CommonPrefixLength(earlier, current, shared, compareLimit);
        int usable = length < limit ? length : limit;
        if (usable > best) {
            if (count == MaxMatchPairs)
                count--;
            found[count].length = (uint16_t)usable;
            found[count].distance = (uint16_t)(back - 1);
            count++;
            best = usable;
        }
        if (length == compareLimit) {
            // As far as can be compared the same: the current position
            // takes the node's place, the nearer of the two.
            *smallerSlot = finder->smaller[node];
            *largerSlot = finder->larger[node];
            return count;
        }
        if (earlier[length] < current[length]) {
            *smallerSlot = candidate;
            smallerSlot = &finder->larger[node];
            candidate = *smallerSlot;
            smallerShared = length;
        } else {
            *largerSlot = candidate;
            largerSlot = &finder->smaller[node];
            candidate = *largerSlot;
            largerShared = length;
        }
    }
}

void GatherChunkMatches(TreeMatchFinder *finder, size_t start, size_t end, int depth,
                        ChunkMatches *matches)
{
    matches->firstPair.resize(end - start + 1);
    matches->pairs.clear();
    MatchPair found[MaxMatchPairs];
    for (size_t i = start; i < end; i++) {
        matches->firstPair[i - start] = (uint32_t)matches->pairs.size();
        size_t left = end - i;
        int limit = left < MaxMatchLength ? (int)left : MaxMatchLength;
        int count = EnterTreePosition(finder, limit, depth, found);
        matches->pairs.insert(matches->pairs.end(), found, found + count);
    }
    matches->firstPair[end - start] = (uint32_t)matches->pairs.size();
}
