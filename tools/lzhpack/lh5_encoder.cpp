#include "tools/lzhpack/lh5_encoder.h"

#include "tools/lzhpack/bit_writer.h"
#include "tools/lzhpack/lh5_block.h"
#include "tools/lzhpack/lh5_token.h"
#include "tools/lzhpack/lh5_parse.h"
#include "tools/lzhpack/match_finder.h"

enum {
    UnusedCharCost = 12,  // guess for a code the current model does not have
    UnusedPosCost = 6,
    // A chunk is parsed once more under its own codes when they would make
    // its tokens at least this many hundredths of a percent cheaper than
    // the model it was parsed under: below that, a second parse rarely
    // finds a smaller block and doubles the time.
    ReparseGainBasisPoints = 100,
    BestTreeDepth = 256
};

EncoderSettings DefaultEncoderSettings(void)
{
    EncoderSettings settings;
    settings.chainDepth = 6;
    settings.niceLength = 32;
    settings.chunkSize = 8192;
    settings.reparseAlways = 0;
    settings.treeDepth = 0;
    return settings;
}

EncoderSettings BestEncoderSettings(void)
{
    EncoderSettings settings;
    settings.chainDepth = MaxChainDepth;
    settings.niceLength = MaxMatchLength;
    settings.chunkSize = 4096;
    settings.reparseAlways = 1;
    settings.treeDepth = BestTreeDepth;
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

// Exchanges two plans (they are large: only the pointers move).
static void SwapPlans(BlockPlan **a, BlockPlan **b)
{
    BlockPlan *kept = *a;
    *a = *b;
    *b = kept;
}

// The bits that tokens of stats cost under model, their extra bits included
// (the model's distance costs carry them).
static uint64_t TokenBits(const BlockStatistics *stats, const CostModel *model)
{
    uint64_t bits = 0;
    for (int i = 0; i < NumCharCodes; i++)
        bits += (uint64_t)stats->charFrequencies[i] * model->charCost[i];
    for (int j = 0; j < NumPosCodes; j++)
        bits += (uint64_t)stats->posFrequencies[j] * model->distanceCost[j];
    return bits;
}

// One parsed chunk: its tokens, their counts and the block they would make
// on their own.
struct ParsedChunk {
    std::vector<Lh5Token> tokens;
    BlockStatistics stats;
    BlockPlan *plan;
};

// Where the matches come from: the hash chains, searched during each parse
// (and restarted before a chunk's second one), or the trees, whose matches
// of a chunk are gathered once for all its parses.
struct MatchSource {
    MatchFinder *chains;     // NULL when the trees are used
    TreeMatchFinder *trees;  // NULL when the chains are
    ChunkMatches gathered;   // the matches of the chunk being parsed, from the trees
};

// Parses [start, end) under model into chunk, planning its block.
static void ParseIntoChunk(MatchSource *source, size_t start, size_t end, const EncoderSettings *settings,
                           const CostModel *model, ParseState *state, ParsedChunk *chunk)
{
    if (source->trees != NULL)
        ParseGatheredChunk(source->trees->data + start, end - start, &source->gathered, settings->niceLength,
                           model, state, &chunk->tokens, &chunk->stats);
    else
        ParseChunk(source->chains, start, end, settings->chainDepth, settings->niceLength, model, state,
                   &chunk->tokens, &chunk->stats);
    PlanBlock(&chunk->stats, chunk->plan);
}

// Parses the chunk [start, end), already in chunk as parsed under another
// model, once more under its own codes, with the chains restarted before
// it (their positions are entered once per parse), and keeps whichever
// parse makes the smaller block. The parse state's flags are those of the
// parse kept.
static void ReparseUnderOwnCodes(MatchSource *source, size_t start, size_t end,
                                 const EncoderSettings *settings, ParseState *state, ParsedChunk *chunk,
                                 ParsedChunk *again)
{
    CostModel own;
    ModelFromPlan(chunk->plan, &own);
    int sparse = state->sparse, deep = state->deep;
    if (source->chains != NULL)
        RestartMatchFinderAt(source->chains, start, state->candidates);
    state->sparse = 0;
    state->deep = 0;
    ParseIntoChunk(source, start, end, settings, &own, state, again);
    if (again->plan->totalBits < chunk->plan->totalBits) {
        chunk->tokens.swap(again->tokens);
        chunk->stats = again->stats;
        SwapPlans(&chunk->plan, &again->plan);
    } else {
        state->sparse = sparse;
        state->deep = deep;
    }
}

// The block being gathered: the tokens of one or more chunks.
struct PendingBlock {
    std::vector<Lh5Token> tokens;
    BlockStatistics stats;
    BlockPlan *plan;
    // With the trees: each chunk's start and gathered matches, for parsing
    // the block once more under its own codes before it is written.
    std::vector<size_t> chunkStarts;
    std::vector<ChunkMatches> chunkMatches;
    size_t chunkCount;
    size_t end;
};

// With the trees, a block of several chunks is parsed once more under the
// codes of the whole block (each chunk was parsed under those of its start
// or its own), and the parse kept if it makes the block smaller.
static void ReparseBlock(const MatchSource *source, const EncoderSettings *settings, PendingBlock *block,
                         ParseState *state, ParsedChunk *scratch, BlockPlan *plan)
{
    if (source->trees == NULL || block->chunkCount < 2)
        return;
    CostModel model;
    ModelFromPlan(block->plan, &model);
    std::vector<Lh5Token> tokens;
    BlockStatistics stats;
    ClearStatistics(&stats);
    for (size_t k = 0; k < block->chunkCount; k++) {
        size_t start = block->chunkStarts[k];
        size_t end = k + 1 < block->chunkCount ? block->chunkStarts[k + 1] : block->end;
        ParseGatheredChunk(source->trees->data + start, end - start, &block->chunkMatches[k],
                           settings->niceLength, &model, state, &scratch->tokens, &scratch->stats);
        tokens.insert(tokens.end(), scratch->tokens.begin(), scratch->tokens.end());
        AddStatistics(&stats, &scratch->stats);
    }
    if (tokens.size() > MaxBlockCodes)
        return;
    PlanBlock(&stats, plan);
    if (plan->totalBits < block->plan->totalBits) {
        block->tokens.swap(tokens);
        block->stats = stats;
        BlockPlan kept = *block->plan;
        *block->plan = *plan;
        *plan = kept;
    }
}

// Notes a chunk's matches in the block it joins.
static void NoteChunk(MatchSource *source, size_t start, size_t end, PendingBlock *block)
{
    block->end = end;
    if (source->trees == NULL)
        return;
    if (block->chunkMatches.size() <= block->chunkCount) {
        block->chunkMatches.resize(block->chunkCount + 1);
        block->chunkStarts.resize(block->chunkCount + 1);
    }
    block->chunkStarts[block->chunkCount] = start;
    block->chunkMatches[block->chunkCount].firstPair.swap(source->gathered.firstPair);
    block->chunkMatches[block->chunkCount].pairs.swap(source->gathered.pairs);
    block->chunkCount++;
}

// Writes the pending block, if it has any tokens, and empties it.
static void EmitBlock(BitWriter *writer, PendingBlock *block)
{
    if (block->tokens.empty())
        return;
    block->chunkCount = 0;
    WriteCodedBlock(writer, block->plan, block->tokens.data(), (uint32_t)block->tokens.size());
    block->tokens.clear();
    ClearStatistics(&block->stats);
}

void EncodeLh5(const uint8_t *data, size_t size, const EncoderSettings *settings,
               std::vector<uint8_t> *packed)
{
    if (size == 0)
        return;
    MatchSource source;
    source.chains = NULL;
    source.trees = NULL;
    if (settings->treeDepth > 0) {
        source.trees = new TreeMatchFinder;
        StartTreeMatchFinder(source.trees, data, size);
    } else {
        source.chains = new MatchFinder;
        StartMatchFinder(source.chains, data, size);
    }
    int treeDepth = settings->treeDepth < MaxTreeDepth ? settings->treeDepth : MaxTreeDepth;
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
    block.chunkCount = 0;
    ClearStatistics(&block.stats);
    ParsedChunk part, again;
    part.plan = new BlockPlan;
    again.plan = new BlockPlan;
    BlockStatistics mergedStats;
    BlockPlan *mergedPlan = new BlockPlan;
    CostModel model;
    DefaultModel(&model);

    for (size_t start = 0; start < size; start += chunkSize) {
        size_t end = size - start > chunkSize ? start + chunkSize : size;
        // The chunk parsed as a continuation of the pending block, and its
        // codes as a block of its own. The first chunk was parsed under a
        // guessed model, so it is always parsed again; a later one when
        // its own codes differ enough from those it was parsed under.
        if (source.trees != NULL)
            GatherChunkMatches(source.trees, start, end, treeDepth, &source.gathered);
        ParseIntoChunk(&source, start, end, settings, &model, state, &part);
        CostModel own;
        ModelFromPlan(part.plan, &own);
        if (start == 0 || settings->reparseAlways ||
            TokenBits(&part.stats, &model) * 10000 >
                TokenBits(&part.stats, &own) * (10000 + ReparseGainBasisPoints))
            ReparseUnderOwnCodes(&source, start, end, settings, state, &part, &again);
        // It joins the pending block when that costs no more than two
        // blocks would.
        int merged = 0;
        if (!block.tokens.empty() && block.tokens.size() + part.tokens.size() <= MaxBlockCodes) {
            mergedStats = block.stats;
            AddStatistics(&mergedStats, &part.stats);
            PlanBlock(&mergedStats, mergedPlan);
            if (mergedPlan->totalBits <= block.plan->totalBits + part.plan->totalBits) {
                block.tokens.insert(block.tokens.end(), part.tokens.begin(), part.tokens.end());
                block.stats = mergedStats;
                SwapPlans(&block.plan, &mergedPlan);
                NoteChunk(&source, start, end, &block);
                merged = 1;
            }
        }
        if (!merged) {
            ReparseBlock(&source, settings, &block, state, &again, mergedPlan);
            EmitBlock(&writer, &block);
            NoteChunk(&source, start, end, &block);
            block.tokens.swap(part.tokens);
            block.stats = part.stats;
            SwapPlans(&block.plan, &part.plan);
        }
        ModelFromPlan(block.plan, &model);
    }
    ReparseBlock(&source, settings, &block, state, &again, mergedPlan);
    EmitBlock(&writer, &block);
    FlushBits(&writer);

    delete mergedPlan;
    delete again.plan;
    delete part.plan;
    delete block.plan;
    delete state;
    delete source.trees;
    delete source.chains;
}
