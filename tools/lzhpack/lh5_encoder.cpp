#include "tools/lzhpack/lh5_encoder.h"

#include <stdlib.h>
#include <string.h>

#include "tools/lzhpack/bit_writer.h"
#include "tools/lzhpack/lh5_block.h"
#include "tools/lzhpack/lh5_format.h"
#include "tools/lzhpack/match_finder.h"

enum {
    UnusedCharCost = 12,  // guess for a code the current model does not have
    UnusedPosCost = 6,
    Infinite = 0x7FFFFFFF
};

EncoderSettings DefaultEncoderSettings(void)
{
    EncoderSettings settings;
    settings.chainDepth = 32;
    settings.niceLength = 128;
    settings.chunkSize = 16384;
    settings.refinePasses = 0;
    return settings;
}

// Bit costs of every code under one set of Huffman codes.
struct CostModel {
    uint32_t charCost[NumCharCodes];
    uint32_t distanceCost[NumPosCodes];  // position code plus its extra bits
};

// A starting model for the first chunk: literals a byte each, short matches
// cheaper than long ones, near positions cheaper than far ones.
static void DefaultModel(CostModel *model)
{
    for (int i = 0; i < NumCharCodes; i++)
        model->charCost[i] = i < FirstMatchCode ? 8 : (i < FirstMatchCode + 16 ? 6 : 11);
    for (int j = 0; j < NumPosCodes; j++)
        model->distanceCost[j] = 4 + (j > 1 ? (uint32_t)(j - 1) : 0);
}

static void ModelFromPlan(const BlockPlan *plan, CostModel *model)
{
    for (int i = 0; i < NumCharCodes; i++) {
        if (plan->charUsed <= 1)
            model->charCost[i] = i == plan->charSingle ? 1 : UnusedCharCost;
        else
            model->charCost[i] = plan->charLengths[i] != 0 ? plan->charLengths[i] : UnusedCharCost;
    }
    for (int j = 0; j < NumPosCodes; j++) {
        uint32_t cost;
        if (plan->posUsed <= 1)
            cost = j == plan->posSingle ? 1 : UnusedPosCost;
        else
            cost = plan->posLengths[j] != 0 ? plan->posLengths[j] : UnusedPosCost;
        model->distanceCost[j] = cost + (j > 1 ? (uint32_t)(j - 1) : 0);
    }
}

// The matches of every position of one chunk, found once and parsed with
// several models.
struct ChunkMatches {
    std::vector<uint32_t> first;  // pairs of position i: first[i] .. first[i + 1] - 1
    std::vector<MatchPair> pairs;
};

static void CollectMatches(MatchFinder *finder, size_t start, size_t end, int niceLength,
                           ChunkMatches *matches)
{
    size_t length = end - start;
    matches->first.assign(length + 1, 0);
    matches->pairs.clear();
    MatchPair found[MaxMatchPairs];
    size_t skipUntil = start;
    for (size_t position = start; position < end; position++) {
        matches->first[position - start] = (uint32_t)matches->pairs.size();
        if (position < skipUntil)
            continue;
        size_t left = end - position;
        int maxLength = left < MaxMatchLength ? (int)left : MaxMatchLength;
        int count = FindMatches(finder, position, maxLength, found);
        matches->pairs.insert(matches->pairs.end(), found, found + count);
        // A long match is as good as certain: skip searching inside it.
        if (count > 0 && found[count - 1].length >= niceLength)
            skipUntil = position + found[count - 1].length;
    }
    matches->first[length] = (uint32_t)matches->pairs.size();
    SkipMatchPositions(finder, end);
}

// The cheapest arrival at each position of a chunk.
struct ParseState {
    std::vector<uint32_t> price;
    std::vector<uint16_t> length;  // 1 = literal
    std::vector<uint16_t> distance;
};

// Finds the cheapest sequence of literals and matches for data[start..end)
// under model and appends its tokens to tokens (a fresh vector's content is
// replaced).
static void ParseChunk(const uint8_t *data, size_t start, size_t end, const ChunkMatches *matches,
                       const CostModel *model, ParseState *state, std::vector<Lh5Token> *tokens)
{
    size_t length = end - start;
    state->price.assign(length + 1, Infinite);
    state->length.assign(length + 1, 0);
    state->distance.assign(length + 1, 0);
    uint32_t *price = state->price.data();
    uint16_t *stepLength = state->length.data();
    uint16_t *stepDistance = state->distance.data();
    price[0] = 0;
    for (size_t i = 0; i < length; i++) {
        uint32_t here = price[i];
        uint32_t literal = here + model->charCost[data[start + i]];
        if (literal < price[i + 1]) {
            price[i + 1] = literal;
            stepLength[i + 1] = 1;
        }
        int shorter = MinMatchLength - 1;
        for (uint32_t p = matches->first[i]; p < matches->first[i + 1]; p++) {
            MatchPair pair = matches->pairs[p];
            uint32_t base = here + model->distanceCost[PositionCode(pair.distance)];
            for (int len = shorter + 1; len <= pair.length; len++) {
                uint32_t cost = base + model->charCost[len - MinMatchLength + FirstMatchCode];
                if (cost < price[i + len]) {
                    price[i + len] = cost;
                    stepLength[i + len] = (uint16_t)len;
                    stepDistance[i + len] = pair.distance;
                }
            }
            shorter = pair.length;
        }
    }
    // Walk back from the end, then lay the steps out forwards.
    size_t steps = 0;
    for (size_t at = length; at > 0; at -= stepLength[at])
        steps++;
    tokens->resize(steps);
    size_t index = steps;
    for (size_t at = length; at > 0;) {
        int len = stepLength[at];
        Lh5Token token;
        if (len == 1) {
            token.code = data[start + at - 1];
            token.distance = 0;
        } else {
            token.code = (uint16_t)(len - MinMatchLength + FirstMatchCode);
            token.distance = stepDistance[at];
        }
        (*tokens)[--index] = token;
        at -= (size_t)len;
    }
}

static void CountTokens(const std::vector<Lh5Token> &tokens, BlockStatistics *stats)
{
    ClearStatistics(stats);
    for (size_t i = 0; i < tokens.size(); i++)
        CountToken(stats, tokens[i]);
}

// The block being gathered: the tokens of one or more chunks.
struct PendingBlock {
    std::vector<Lh5Token> tokens;
    BlockStatistics stats;
    BlockPlan plan;
};

static void EmitBlock(BitWriter *writer, PendingBlock *block)
{
    if (block->tokens.empty())
        return;
    WriteBlock(writer, &block->plan, block->tokens.data(), (uint32_t)block->tokens.size());
    block->tokens.clear();
    ClearStatistics(&block->stats);
}

// Parses a chunk again and again, each time under the codes the previous
// parse would get on its own. Leaves the last tokens, statistics and plan.
static void RefineChunk(const uint8_t *data, size_t start, size_t end, const ChunkMatches *matches,
                        int passes, ParseState *state, std::vector<Lh5Token> *tokens,
                        BlockStatistics *stats, BlockPlan *plan)
{
    for (int pass = 0; pass < passes; pass++) {
        CostModel model;
        ModelFromPlan(plan, &model);
        ParseChunk(data, start, end, matches, &model, state, tokens);
        CountTokens(*tokens, stats);
        PlanBlock(stats, plan);
    }
}

void EncodeLh5(const uint8_t *data, size_t size, const EncoderSettings *settings,
               std::vector<uint8_t> *packed)
{
    if (size == 0)
        return;
    MatchFinder *finder = (MatchFinder *)malloc(sizeof(MatchFinder));
    if (finder == NULL)
        abort();
    StartMatchFinder(finder, data, size, settings->chainDepth, settings->niceLength);
    BitWriter writer;
    StartBitWriter(&writer, packed);

    // A chunk never holds more codes than a block may.
    size_t chunkSize = (size_t)settings->chunkSize;
    if (chunkSize == 0 || chunkSize > MaxBlockCodes)
        chunkSize = MaxBlockCodes;

    ChunkMatches matches;
    ParseState state;
    PendingBlock *block = new PendingBlock;
    ClearStatistics(&block->stats);
    std::vector<Lh5Token> asPart, alone;
    BlockStatistics partStats, aloneStats, mergedStats;
    BlockPlan *alonePlan = new BlockPlan;
    BlockPlan *mergedPlan = new BlockPlan;
    CostModel model;
    DefaultModel(&model);

    for (size_t start = 0; start < size; start += chunkSize) {
        size_t end = size - start > chunkSize ? start + chunkSize : size;
        CollectMatches(finder, start, end, settings->niceLength, &matches);

        // The chunk as a continuation of the pending block.
        ParseChunk(data, start, end, &matches, &model, &state, &asPart);
        CountTokens(asPart, &partStats);
        // The chunk as a block of its own, with codes fitted to it.
        PlanBlock(&partStats, alonePlan);
        alone = asPart;
        aloneStats = partStats;
        // The first chunk was parsed under a guessed model: parse it once
        // more under its own codes.
        int passes = settings->refinePasses;
        if (block->tokens.empty() && passes < 1)
            passes = 1;
        RefineChunk(data, start, end, &matches, passes, &state, &alone, &aloneStats, alonePlan);

        int merged = 0;
        if (!block->tokens.empty() && block->tokens.size() + asPart.size() <= MaxBlockCodes) {
            mergedStats = block->stats;
            AddStatistics(&mergedStats, &partStats);
            PlanBlock(&mergedStats, mergedPlan);
            if (mergedPlan->totalBits <= block->plan.totalBits + alonePlan->totalBits) {
                block->tokens.insert(block->tokens.end(), asPart.begin(), asPart.end());
                block->stats = mergedStats;
                block->plan = *mergedPlan;
                merged = 1;
            }
        }
        if (!merged) {
            EmitBlock(&writer, block);
            block->tokens = alone;
            block->stats = aloneStats;
            block->plan = *alonePlan;
        }
        ModelFromPlan(&block->plan, &model);
    }
    EmitBlock(&writer, block);
    FlushBits(&writer);

    delete mergedPlan;
    delete alonePlan;
    delete block;
    free(finder);
}
