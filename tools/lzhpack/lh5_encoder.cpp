#include "tools/lzhpack/lh5_encoder.h"

#include "tools/lzhpack/bit_writer.h"
#include "tools/lzhpack/lh5_block.h"
#include "tools/lzhpack/lh5_token.h"
#include "tools/lzhpack/lh5_parse.h"
#include "tools/lzhpack/match_finder.h"

enum {
    UnusedCharCost = 12,  // guess for a code the current model does not have
    UnusedPosCost = 6
};

EncoderSettings DefaultEncoderSettings(void)
{
    EncoderSettings settings;
    settings.chainDepth = 6;
    settings.niceLength = 32;
    settings.chunkSize = 16384;
    return settings;
}

// A starting model for the first chunk: literals a byte each, short matches
// cheaper than long ones, near positions cheaper than far ones.
static void DefaultModel(CostModel *model)
{
    for (int i = 0; i < NumCharCodes; i++)
        model->charCost[i] = i < FirstMatchCode ? 8 : (i < FirstMatchCode + 16 ? 6 : 11);
    for (int j = 0; j < NumPosCodes; j++)
        model->distanceCost[j] = 4 + (j > 1 ? (uint32_t)(j - 1) : 0);
}

// The costs of every code under a block's codes (with guesses for the codes
// it does not have), for parsing the next chunk.
static void ModelFromPlan(const BlockPlan *plan, CostModel *model)
{
    for (int i = 0; i < NumCharCodes; i++) {
        if (plan->charUsed <= 1)
            model->charCost[i] = i == plan->charSingle ? 1 : UnusedCharCost;
        else
            model->charCost[i] = plan->charLengths[i] != 0 ? plan->charLengths[i] : (uint32_t)UnusedCharCost;
    }
    for (int j = 0; j < NumPosCodes; j++) {
        uint32_t cost;
        if (plan->posUsed <= 1)
            cost = j == plan->posSingle ? 1 : UnusedPosCost;
        else
            cost = plan->posLengths[j] != 0 ? plan->posLengths[j] : (uint32_t)UnusedPosCost;
        model->distanceCost[j] = cost + (j > 1 ? (uint32_t)(j - 1) : 0);
    }
}

// The block being gathered: the tokens of one or more chunks.
struct PendingBlock {
    std::vector<Lh5Token> tokens;
    BlockStatistics stats;
    BlockPlan *plan;
};

// Writes the pending block, if it has any tokens, and empties it.
static void EmitBlock(BitWriter *writer, PendingBlock *block)
{
    if (block->tokens.empty())
        return;
    WriteCodedBlock(writer, block->plan, block->tokens.data(), (uint32_t)block->tokens.size());
    block->tokens.clear();
    ClearStatistics(&block->stats);
}

// Exchanges two plans (they are large: only the pointers move).
static void SwapPlans(BlockPlan **a, BlockPlan **b)
{
    BlockPlan *kept = *a;
    *a = *b;
    *b = kept;
}

void EncodeLh5(const uint8_t *data, size_t size, const EncoderSettings *settings,
               std::vector<uint8_t> *packed)
{
    if (size == 0)
        return;
    MatchFinder *finder = new MatchFinder;
    StartMatchFinder(finder, data, size);
    ParseState *state = new ParseState;
    state->sparse = 0;
    state->deep = 0;
    BitWriter writer;
    StartBitWriter(&writer, packed);

    // A chunk never holds more codes than a block may.
    size_t chunkSize = (size_t)settings->chunkSize;
    if (chunkSize == 0 || chunkSize > MaxBlockCodes)
        chunkSize = MaxBlockCodes;

    PendingBlock block;
    block.plan = new BlockPlan;
    ClearStatistics(&block.stats);
    std::vector<Lh5Token> part;
    BlockStatistics partStats, mergedStats;
    BlockPlan *partPlan = new BlockPlan;
    BlockPlan *mergedPlan = new BlockPlan;
    CostModel model;
    DefaultModel(&model);

    for (size_t start = 0; start < size; start += chunkSize) {
        size_t end = size - start > chunkSize ? start + chunkSize : size;
        // The chunk parsed as a continuation of the pending block, and its
        // codes as a block of its own.
        ParseChunk(finder, start, end, settings->chainDepth, settings->niceLength, &model, state, &part,
                   &partStats);
        PlanBlock(&partStats, partPlan);
        if (start == 0) {
            // The first chunk was parsed under a guessed model: parse it
            // once more under its own codes, with the finder started
            // afresh (its positions are entered once per parse).
            ModelFromPlan(partPlan, &model);
            StartMatchFinder(finder, data, size);
            state->sparse = 0;
            state->deep = 0;
            ParseChunk(finder, start, end, settings->chainDepth, settings->niceLength, &model, state, &part,
                       &partStats);
            PlanBlock(&partStats, partPlan);
        }
        // It joins the pending block when that costs no more than two
        // blocks would.
        int merged = 0;
        if (!block.tokens.empty() && block.tokens.size() + part.size() <= MaxBlockCodes) {
            mergedStats = block.stats;
            AddStatistics(&mergedStats, &partStats);
            PlanBlock(&mergedStats, mergedPlan);
            if (mergedPlan->totalBits <= block.plan->totalBits + partPlan->totalBits) {
                block.tokens.insert(block.tokens.end(), part.begin(), part.end());
                block.stats = mergedStats;
                SwapPlans(&block.plan, &mergedPlan);
                merged = 1;
            }
        }
        if (!merged) {
            EmitBlock(&writer, &block);
            block.tokens.swap(part);
            block.stats = partStats;
            SwapPlans(&block.plan, &partPlan);
        }
        ModelFromPlan(block.plan, &model);
    }
    EmitBlock(&writer, &block);
    FlushBits(&writer);

    delete mergedPlan;
    delete partPlan;
    delete block.plan;
    delete state;
    delete finder;
}
