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
    settings.chainDepth = 2;
    settings.longChainDepth = 16;
    settings.niceLength = 32;
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

// The cheapest arrival found so far at each position of a chunk, packed in
// one number so that one comparison picks the cheaper of two: the price in
// bits (high 32 bits), the length of the last step (bits 16..31, 1 for a
// literal) and its distance (low 16 bits).
typedef uint64_t Arrival;

enum { ArrivalPriceShift = 32, ArrivalLengthShift = 16 };

static inline Arrival MakeArrival(uint32_t price, unsigned length, unsigned distance)
{
    return (Arrival)price << ArrivalPriceShift | (Arrival)length << ArrivalLengthShift | distance;
}

// Keeps the cheaper of an arrival and a candidate. Written as a selection
// rather than a branch: which one wins follows the data and cannot be
// predicted.
static inline void KeepCheaper(Arrival *arrival, Arrival candidate)
{
    Arrival old = *arrival;
    *arrival = candidate < old ? candidate : old;
}

struct ParseState {
    std::vector<Arrival> arrivals;
    Arrival lengthStep[MaxMatchLength + 1];  // the part of an arrival a match length adds
};

// Finds the cheapest sequence of literals and matches for data[start..end)
// under model and puts its tokens in tokens (the old content is replaced).
// Every match length up to a pair's length is weighed, except that a match
// of niceLength or more is taken whole at once (the finder did not look
// inside it).
static void ParseChunk(const uint8_t *data, size_t start, size_t end, const ChunkMatches *matches,
                       int niceLength, const CostModel *model, ParseState *state,
                       std::vector<Lh5Token> *tokens)
{
    size_t length = end - start;
    state->arrivals.assign(length + 1, ~(Arrival)0);
    Arrival *arrival = state->arrivals.data();
    Arrival *lengthStep = state->lengthStep;
    for (int len = MinMatchLength; len <= MaxMatchLength; len++)
        lengthStep[len] = MakeArrival(model->charCost[len - MinMatchLength + FirstMatchCode], (unsigned)len, 0);
    const uint32_t *first = matches->first.data();
    const MatchPair *pairs = matches->pairs.data();
    const uint8_t *bytes = data + start;

    arrival[0] = 0;
    size_t skipUntil = 0;
    for (size_t i = 0; i < length; i++) {
        if (i < skipUntil)
            continue;
        uint32_t here = (uint32_t)(arrival[i] >> ArrivalPriceShift);
        Arrival literal = MakeArrival(here + model->charCost[bytes[i]], 1, 0);
        KeepCheaper(&arrival[i + 1], literal);
        uint32_t pairEnd = first[i + 1];
        if (first[i] == pairEnd)
            continue;
        const MatchPair longest = pairs[pairEnd - 1];
        if (longest.length >= niceLength) {
            Arrival whole = MakeArrival(here + model->distanceCost[PositionCode(longest.distance)], 0,
                                        longest.distance) + lengthStep[longest.length];
            KeepCheaper(&arrival[i + longest.length], whole);
            skipUntil = i + longest.length;
            continue;
        }
        int shorter = MinMatchLength - 1;
        for (uint32_t p = first[i]; p < pairEnd; p++) {
            MatchPair pair = pairs[p];
            Arrival base = MakeArrival(here + model->distanceCost[PositionCode(pair.distance)], 0, pair.distance);
            Arrival *target = arrival + i;
            for (int len = shorter + 1; len <= pair.length; len++)
                KeepCheaper(&target[len], base + lengthStep[len]);
            shorter = pair.length;
        }
    }
    // Walk back from the end, then lay the steps out forwards.
    size_t steps = 0;
    for (size_t at = length; at > 0; at -= (arrival[at] >> ArrivalLengthShift) & 0xFFFF)
        steps++;
    tokens->resize(steps);
    Lh5Token *out = tokens->data();
    size_t index = steps;
    for (size_t at = length; at > 0;) {
        unsigned len = (unsigned)(arrival[at] >> ArrivalLengthShift) & 0xFFFF;
        Lh5Token token;
        if (len == 1) {
            token.code = bytes[at - 1];
            token.distance = 0;
        } else {
            token.code = (uint16_t)(len - MinMatchLength + FirstMatchCode);
            token.distance = (uint16_t)(arrival[at] & 0xFFFF);
        }
        out[--index] = token;
        at -= len;
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
                        int niceLength, int passes, ParseState *state, std::vector<Lh5Token> *tokens,
                        BlockStatistics *stats, BlockPlan *plan)
{
    for (int pass = 0; pass < passes; pass++) {
        CostModel model;
        ModelFromPlan(plan, &model);
        ParseChunk(data, start, end, matches, niceLength, &model, state, tokens);
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
    StartMatchFinder(finder, data, size, settings->chainDepth, settings->longChainDepth,
                     settings->niceLength);
    BitWriter writer;
    StartBitWriter(&writer, packed);

    // A chunk never holds more codes than a block may.
    size_t chunkSize = (size_t)settings->chunkSize;
    if (chunkSize == 0 || chunkSize > MaxBlockCodes)
        chunkSize = MaxBlockCodes;

    ChunkMatches matches;
    ParseState *state = new ParseState;
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
        FindChunkMatches(finder, start, end, &matches);

        // The chunk as a continuation of the pending block.
        ParseChunk(data, start, end, &matches, settings->niceLength, &model, state, &asPart);
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
        RefineChunk(data, start, end, &matches, settings->niceLength, passes, state, &alone, &aloneStats, alonePlan);

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

    delete state;
    delete mergedPlan;
    delete alonePlan;
    delete block;
    free(finder);
}
