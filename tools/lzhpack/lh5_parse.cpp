#include "tools/lzhpack/lh5_parse.h"

// The cheapest arrival found so far at each position of a chunk, packed in
// one number so that one comparison picks the cheaper of two: the price in
// bits (high 32 bits), the length of the last step (bits 16..31, 1 for a
// literal) and its distance (low 16 bits).
typedef uint64_t Arrival;

enum {
    ArrivalPriceShift = 32,
    ArrivalLengthShift = 16,
    // See WeighMatches; the arrivals past a chunk's end that its masked
    // lengths may touch are kept as slack.
    MaskedLengths = 4,
    ArrivalSlack = MaskedLengths
};

static const Arrival Unreached = ~(Arrival)0;

static inline Arrival MakeArrival(uint32_t price, unsigned length, unsigned distance)
{
    return (Arrival)price << ArrivalPriceShift | (Arrival)length << ArrivalLengthShift | distance;
}

// All ones when condition holds, else 0: for choosing without a branch
// where the outcome follows the data and cannot be predicted.
static inline Arrival MaskIf(int condition)
{
    return (Arrival)0 - (Arrival)(condition != 0);
}

// The cheaper of two arrivals, chosen without a branch.
static inline Arrival Cheaper(Arrival a, Arrival b)
{
    return a ^ ((a ^ b) & MaskIf(b < a));
}

// Keeps the cheaper of an arrival and a candidate.
static inline void KeepCheaper(Arrival *arrival, Arrival candidate)
{
    *arrival = Cheaper(*arrival, candidate);
}

// The arrival of a match from a position reached at price here, without
// its length's part.
static inline Arrival MatchBase(uint32_t here, MatchPair pair, const CostModel *model)
{
    return MakeArrival(here + model->distanceCost[PositionCode(pair.distance)], 0, pair.distance);
}

// Weighs every length of count matches (count >= 1, increasing lengths
// below niceLength) from the position whose arrival is target[0], reached
// at price here. lengthStep[len] is the part of an arrival that length len
// adds. Each match serves the lengths above the previous one's; the first
// MaskedLengths of them are weighed in one sequence without branches (how
// many there are cannot be predicted), lengths past the match made
// unreachable.
static inline void WeighMatches(Arrival *target, uint32_t here, const MatchPair *pairs, int count,
                                const CostModel *model, const Arrival *lengthStep)
{
    int shorter = MinMatchLength - 1;
    for (int k = 0; k < count; k++) {
        Arrival base = MatchBase(here, pairs[k], model);
        int longest = pairs[k].length;
        for (int len = shorter + 1; len <= shorter + MaskedLengths; len++)
            KeepCheaper(&target[len], (base + lengthStep[len]) | MaskIf(len > longest));
        for (int len = shorter + MaskedLengths + 1; len <= longest; len++)
            KeepCheaper(&target[len], base + lengthStep[len]);
        shorter = longest;
    }
}

// Weighs the count matches found at the position whose arrival is
// target[0], reached at price here, and returns how far the parse steps
// on: a match of niceLength or more is taken whole, and the positions
// inside it are passed over (*current becomes the arrival past it);
// otherwise every length of every match is weighed and the step is 1.
static inline size_t WeighFound(Arrival *target, uint32_t here, const MatchPair *found, int count,
                                int niceLength, const CostModel *model, const Arrival *lengthStep,
                                Arrival *current)
{
    MatchPair longest = found[count - 1];
    if (longest.length < niceLength) {
        WeighMatches(target, here, found, count, model, lengthStep);
        return 1;
    }
    KeepCheaper(&target[longest.length], MatchBase(here, longest, model) + lengthStep[longest.length]);
    *current = target[longest.length];
    return longest.length;
}

// Puts the cheapest path to the end of a chunk's arrivals in tokens and
// counts it into stats: walks back from the end once, laying the steps out
// backwards in room for one per byte, then copies them out in order.
static void LayOutTokens(const Arrival *arrival, const uint8_t *bytes, size_t length, ParseState *state,
                         std::vector<Lh5Token> *tokens, BlockStatistics *stats)
{
    if (state->steps.size() < length)
        state->steps.resize(length);
    ClearStatistics(stats);
    Lh5Token *last = state->steps.data() + length;
    Lh5Token *out = last;
    for (size_t at = length; at > 0;) {
        Arrival step = arrival[at];
        unsigned len = (unsigned)(step >> ArrivalLengthShift) & 0xFFFF;
        Lh5Token token;
        token.code = (uint16_t)(len == 1 ? bytes[at - 1] : len - MinMatchLength + FirstMatchCode);
        token.distance = (uint16_t)(step & 0xFFFF);  // 0 for a literal
        *--out = token;
        CountToken(stats, token);
        at -= len;
    }
    tokens->assign(out, last);
}

// Starts the arrivals of a chunk of length bytes and the part each match
// length adds under model.
static Arrival *StartArrivals(size_t length, const CostModel *model, ParseState *state, Arrival *lengthStep)
{
    state->arrivals.assign(length + 1 + ArrivalSlack, Unreached);
    for (int len = 0; len <= MaxMatchLength + MaskedLengths; len++) {
        int code = len - MinMatchLength + FirstMatchCode;
        uint32_t cost = len >= MinMatchLength && code < NumCharCodes ? model->charCost[code] : 0;
        lengthStep[len] = MakeArrival(cost, (unsigned)len, 0);
    }
    Arrival *arrival = state->arrivals.data();
    arrival[0] = 0;
    return arrival;
}

void ParseChunk(MatchFinder *finder, size_t start, size_t end, int chainDepth, int niceLength,
                const CostModel *model, ParseState *state, std::vector<Lh5Token> *tokens,
                BlockStatistics *stats)
{
    if (chainDepth < 1)
        chainDepth = 1;
    if (chainDepth > MaxChainDepth)
        chainDepth = MaxChainDepth;
    size_t length = end - start;
    Arrival lengthStep[MaxMatchLength + MaskedLengths + 1];
    Arrival *arrival = StartArrivals(length, model, state, lengthStep);
    const uint8_t *bytes = finder->data + start;
    MatchPair found[MaxMatchPairs];

    // The arrival at the position being left is kept at hand: the next
    // position's depends on it through the literal step, position after
    // position, and reading it back from memory would lengthen that chain.
    Arrival current = 0;
    size_t next = 0;  // where the next step starts: past a match taken whole
    for (size_t from = 0; from < length; from += EnterAhead) {
        size_t to = length - from > EnterAhead ? from + EnterAhead : length;
        EnterPositions(finder, start + to, state->candidates);
        size_t skipMask = state->sparse ? SparseStep - 1 : 0;
        int depth = state->deep ? MaxChainDepth : chainDepth;
        size_t searched = 0;
        size_t matched = 0;  // searched positions with matches
        size_t passedOver = 0;  // positions inside matches taken whole
        size_t i = next > from ? next : from;
        while (i < to) {
            Arrival *target = arrival + i;
            uint32_t here = (uint32_t)(current >> ArrivalPriceShift);
            // Matches from here reach 3 bytes on or more, so the next
            // position's arrival is final once the literal is weighed.
            current = Cheaper(target[1], MakeArrival(here + model->charCost[bytes[i]], 1, 0));
            target[1] = current;
            size_t step = 1;
            size_t left = length - i;
            if (left >= MinMatchLength && ((i - from) & skipMask) == 0) {
                int maxLength = left < MaxMatchLength ? (int)left : MaxMatchLength;
                int count = SearchPosition(finder, start + i, maxLength, &state->candidates[i - from], depth,
                                           found);
                searched++;
                matched += count != 0;
                if (count != 0) {
                    step = WeighFound(target, here, found, count, niceLength, model, lengthStep, &current);
                    passedOver += step - 1;
                }
            }
            i += step;
        }
        next = i;
        // A sparse group ends as soon as any match shows up in one.
        state->sparse = state->sparse ? matched == 0 : searched >= SparseAfter && matched * SparseShare < searched;
        state->deep = passedOver * DeepShare >= to - from;
    }

    LayOutTokens(arrival, bytes, length, state, tokens, stats);
}

void ParseGatheredChunk(const uint8_t *bytes, size_t length, const ChunkMatches *matches, int niceLength,
                        const CostModel *model, ParseState *state, std::vector<Lh5Token> *tokens,
                        BlockStatistics *stats)
{
    Arrival lengthStep[MaxMatchLength + MaskedLengths + 1];
    Arrival *arrival = StartArrivals(length, model, state, lengthStep);
    const uint32_t *firstPair = matches->firstPair.data();
    const MatchPair *pairs = matches->pairs.data();
    Arrival current = 0;  // as in ParseChunk
    size_t i = 0;
    while (i < length) {
        Arrival *target = arrival + i;
        uint32_t here = (uint32_t)(current >> ArrivalPriceShift);
        current = Cheaper(target[1], MakeArrival(here + model->charCost[bytes[i]], 1, 0));
        target[1] = current;
        size_t step = 1;
        int count = (int)(firstPair[i + 1] - firstPair[i]);
        if (count != 0)
            step = WeighFound(target, here, pairs + firstPair[i], count, niceLength, model, lengthStep, &current);
        i += step;
    }
    LayOutTokens(arrival, bytes, length, state, tokens, stats);
}
