// Finds, for each position of the data in turn, the nearest earlier
// occurrence within the "-lh5-" dictionary of every match length there is,
// for create --best. The positions of each 3-byte hash form a binary search
// tree ordered by the bytes that follow them, newer positions above older
// ones; each position enters at the root, and the walk down that re-sorts
// the tree beneath it meets, for every length, the nearest position that
// shares that many bytes with it. The hash chains of match_finder.h look
// at only a few candidates of 3 to 7 bytes; the trees miss none within
// their depth, at about three times the time.
//
// Nodes hold position + 1 (0: none) of data under 4 GiB, and are kept for
// the last TreeCycle positions; a node more than the dictionary back ends a
// walk before its storage is read, so storage reused by a newer position
// is never taken for the old one.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <vector>

#include "tools/lzhpack/match_finder.h"

enum {
    TreeHashBits = 16,
    TreeHashSize = 1 << TreeHashBits,
    TreeCycle = 16384,  // a power of two above DictionarySize
    MaxTreeDepth = 1024
};

struct TreeMatchFinder {
    const uint8_t *data;
    size_t size;
    size_t next;                   // the next position to enter
    uint32_t root[TreeHashSize];   // newest position of each hash's tree
    uint32_t smaller[TreeCycle];   // each node's subtree of positions whose bytes sort before its own
    uint32_t larger[TreeCycle];    // and of those that sort after (or equal)
};

// Prepares finder for data[0..size), size under 4 GiB, with no position
// entered.
void StartTreeMatchFinder(TreeMatchFinder *finder, const uint8_t *data, size_t size);

// Enters the next position (finder->next, which must be below size) and
// stores its matches at found (room for MaxMatchPairs) in order of
// increasing length, each the nearest for its length, at most limit bytes
// long (0 to MaxMatchLength; the tree compares as far as the data allows,
// and the matches are cut to limit). Walks at most depth nodes (1 to
// MaxTreeDepth); past that, the older nodes leave the tree. Returns how
// many matches there are. When more lengths are found than there is room
// for, the longest is kept in the last place.
int EnterTreePosition(TreeMatchFinder *finder, int limit, int depth, MatchPair *found);

// The matches of every position of a stretch, found once, so that it can
// be parsed under more than one model.
struct ChunkMatches {
    std::vector<uint32_t> firstPair;  // position i's pairs are pairs[firstPair[i]..firstPair[i + 1])
    std::vector<MatchPair> pairs;
};

// Enters every position of [start, end), which must start at finder->next,
// and keeps their matches, cut to end, in matches (its old content
// replaced).
void GatherChunkMatches(TreeMatchFinder *finder, size_t start, size_t end, int depth,
                        ChunkMatches *matches);
