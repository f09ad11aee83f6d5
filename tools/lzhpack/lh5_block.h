// One block of an "-lh5-" stream: its code statistics, the code lengths and
// header chosen for them, its exact size, and its bits.
#pragma once

#include <stdint.h>

#include "tools/lzhpack/bit_writer.h"
#include "tools/lzhpack/lh5_token.h"

// What a block's codes need: how often each code occurs and how many extra
// position bits follow them.
struct BlockStatistics {
    uint32_t charFrequencies[NumCharCodes];
    uint32_t posFrequencies[NumPosCodes];
    uint32_t codeCount;
    uint64_t extraBits;
};

// The codes of one block and the pre-tree items that describe the
// character code lengths.
struct BlockPlan {
    uint8_t charLengths[NumCharCodes];
    uint16_t charCodes[NumCharCodes];
    int charUsed;  // symbols of nonzero frequency; 1 means the single-code form
    int charSingle;
    uint8_t posLengths[NumPosCodes];
    uint16_t posCodes[NumPosCodes];
    int posUsed;
    int posSingle;
    uint8_t preLengths[NumPreCodes];
    uint16_t preCodes[NumPreCodes];
    int preUsed;
    int preSingle;
    // The character lengths as pre-tree items: a code and its extra field.
    uint16_t preItems[NumCharCodes];
    uint16_t preExtra[NumCharCodes];
    int preItemCount;
    uint64_t totalBits;  // header plus every code and extra bit
};

void ClearStatistics(BlockStatistics *stats);

// Counts one token into stats. A literal's distance must be 0: it then
// adds nothing to the position counts, so no branch tells the two kinds
// apart (which of them comes next cannot be predicted).
static inline void CountToken(BlockStatistics *stats, Lh5Token token)
{
    stats->charFrequencies[token.code]++;
    stats->codeCount++;
    int positionCode = PositionCode(token.distance);
    stats->posFrequencies[positionCode] += token.code >= FirstMatchCode;
    stats->extraBits += (uint64_t)(positionCode > 1 ? positionCode - 1 : 0);
}

// Adds the counts of more into stats.
void AddStatistics(BlockStatistics *stats, const BlockStatistics *more);

// Chooses the codes and the header for a block of stats (codeCount 1 to
// MaxBlockCodes) and works out its exact size in bits.
void PlanBlock(const BlockStatistics *stats, BlockPlan *plan);

// Writes the block: header, then the count tokens (which must be those the
// plan was made from).
void WriteCodedBlock(BitWriter *writer, const BlockPlan *plan, const Lh5Token *tokens, uint32_t count);
