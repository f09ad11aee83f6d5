// The cheapest parse of a chunk into "-lh5-" tokens under one set of code
// lengths: a shortest path over the chunk's positions, where a literal
// leads one byte on and each match length of each found match leads that
// many bytes on. The matches are searched as the path reaches each
// position.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <vector>

#include "tools/lzhpack/lh5_block.h"
#include "tools/lzhpack/lh5_token.h"
#include "tools/lzhpack/match_finder.h"
#include "tools/lzhpack/tree_match_finder.h"

// Bit costs of every code under one set of Huffman codes.
struct CostModel {
    uint32_t charCost[NumCharCodes];
    uint32_t distanceCost[NumPosCodes];  // position code plus its extra bits
};

// How the search effort follows the data, group by group of EnterAhead
// positions (see ParseChunk).
enum {
    SparseStep = 8,                 // a sparse group searches every SparseStep-th position
    SparseAfter = EnterAhead / 2,   // a group that searched at least this many positions,
    SparseShare = 64,               // less than 1 / SparseShare of them with matches, is
                                    // followed by a sparse one
    DeepShare = 4                   // a group with at least 1 / DeepShare of its positions
                                    // inside matches taken whole is followed by a deep
                                    // one, which walks MaxChainDepth chain candidates
};

// Working storage of the parse, kept from chunk to chunk of one file.
struct ParseState {
    std::vector<uint64_t> arrivals;
    std::vector<Lh5Token> steps;  // the tokens as the walk back from the end finds them
    PositionCandidates candidates[EnterAhead];
    int sparse;  // 1 while only every SparseStep-th position is searched; 0 at the start
    int deep;    // 1 while chains are walked MaxChainDepth far; 0 at the start
};

// Finds the cheapest sequence of literals and matches for data[start..end)
// under model, where finder holds the data with every position below
// start entered, puts its tokens in tokens (the old content is replaced)
// and counts them into stats (cleared first). The matches of each position
// are searched as the parse reaches it, walking chainDepth (1 to
// MaxChainDepth) chain candidates: a match of niceLength or more is taken
// whole, and the positions inside it are not searched. Where the data
// shows almost no matches (as packed or random data does), only every
// SparseStep-th position is searched until matches show up again; where
// long matches abound (as in repetitive text or pictures), finding the
// longest saves searching inside it, and chains are walked further.
void ParseChunk(MatchFinder *finder, size_t start, size_t end, int chainDepth, int niceLength,
                const CostModel *model, ParseState *state, std::vector<Lh5Token> *tokens,
                BlockStatistics *stats);

// The same parse of the chunk bytes[0..length) over matches gathered for
// it beforehand (GatherChunkMatches), which any number of models can share:
// a match of niceLength or more is taken whole, as in ParseChunk.
void ParseGatheredChunk(const uint8_t *bytes, size_t length, const ChunkMatches *matches, int niceLength,
                        const CostModel *model, ParseState *state, std::vector<Lh5Token> *tokens,
                        BlockStatistics *stats);
