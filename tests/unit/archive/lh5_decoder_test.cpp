// The decoder on streams written bit by bit: the one-code forms, matches
// across calls, the extreme distances, a block count of 0, codes of 12, 13
// and 16 bits, position codes read in one lookup with their match code or
// after it, and where the cursor stands. Expected output comes from the
// format's definition of literals and matches (ModelLiteral/ModelMatch).
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/lh5_tables.h"
#include "tests/support/capture_support.h"
#include "tests/support/decode_stream.h"
#include "tests/unit/archive/lh5_stream_builder.h"

using Strings = std::vector<std::string>;

// One step of a stream: a literal (length 0) or a match.
struct Step {
    unsigned length;
    unsigned value;  // the byte, or the distance
};

static Step Literal(uint8_t byte) { return Step{0, byte}; }
static Step Match(unsigned length, unsigned distance) { return Step{length, distance}; }

// Writes the steps as one block with the given lengths and returns the
// stream; model receives the bytes they stand for.
static Bytes WriteBlock(const std::vector<Step> &steps, BlockHeaderPlan plan, Bytes &model,
                        Lh5Stream *into = nullptr)
{
    Lh5Stream local;
    Lh5Stream &stream = into != nullptr ? *into : local;
    plan.codeCount = (uint16_t)steps.size();
    PutBlockHeader(stream, plan);
    for (const Step &step : steps) {
        if (step.length == 0) {
            PutLiteral(stream, (uint8_t)step.value);
            ModelLiteral(model, (uint8_t)step.value);
        } else {
            PutMatch(stream, step.length, step.value);
            ModelMatch(model, step.length, step.value);
        }
    }
    return StreamBytes(stream.bits);
}

static std::vector<unsigned> Range(unsigned first, unsigned last)
{
    std::vector<unsigned> symbols;
    for (unsigned s = first; s <= last; s++)
        symbols.push_back(s);
    return symbols;
}

class Lh5DecoderTest : public ::testing::Test {
protected:
    void SetUp() override { SupportEvents.clear(); }
};

TEST_F(Lh5DecoderTest, LiteralsAndMatchesOfEveryLengthAndManyDistances)
{
    BlockHeaderPlan plan;
    plan.charLengths = CompleteLengths(Range(0, 509));
    plan.positionLengths = CompleteLengths(Range(0, 13));
    std::vector<Step> steps;
    Bytes seed = PatternBytes(9000, 21);
    for (uint8_t byte : seed)
        steps.push_back(Literal(byte));
    size_t produced = seed.size();
    unsigned distances[] = {0, 1, 2, 3, 7, 8, 100, 1023, 1024, 4095, 4096, 8190, 8191};
    for (unsigned length = 3; length <= 256; length++) {
        unsigned distance = distances[length % 13];
        steps.push_back(Match(length, distance));
        produced += length;
        steps.push_back(Literal((uint8_t)length));
        produced++;
    }
    Bytes model;
    Bytes stream = WriteBlock(steps, plan, model);
    DecodeRun run = DecodeStream(stream, produced);
    EXPECT_EQ(run.output, model);
    EXPECT_EQ(run.cursorAtEnd, stream.size());
    EXPECT_EQ(run.remainingAtEnd, 0u);
    EXPECT_EQ(EventsOf("message: "), Strings{});
}

TEST_F(Lh5DecoderTest, CharacterCountZeroGivesOneCodeWithoutBits)
{
    BlockHeaderPlan plan;
    plan.codeCount = 100;
    plan.fixedChar = 'Q';
    Lh5Stream stream;
    PutBlockHeader(stream, plan);
    Bytes bytes = StreamBytes(stream.bits);
    // Header: 16 + 5 + 5 + 9 + 9 + 4 + 4 = 52 bits. Ten spare bytes follow.
    ASSERT_EQ(stream.bits.bitCount, 52u);
    bytes.resize(bytes.size() + 10, 0xFF);
    DecodeRun run = DecodeStream(bytes, 100);
    EXPECT_EQ(run.output, Bytes(100, 'Q'));
    // A 16-bit look-ahead reader has read 2 bytes, then one per 8 bits
    // consumed: 2 + ceil(52 / 8) = 9.
    EXPECT_EQ(run.cursorAtEnd, 9u);
    EXPECT_EQ(run.remainingAtEnd, bytes.size() - 9);
    EXPECT_EQ(EventsOf("message: "), Strings{});
}

TEST_F(Lh5DecoderTest, PositionCountZeroGivesOneCodeButStillReadsExtraBits)
{
    BlockHeaderPlan plan;
    std::vector<unsigned> symbols = Range('a', 'z');
    symbols.push_back(256);        // length 3
    symbols.push_back(263);        // length 10
    plan.charLengths = CompleteLengths(symbols);
    plan.fixedPosition = 13;       // distances 4096 to 8191, 12 extra bits
    std::vector<Step> steps;
    for (unsigned i = 0; i < 8200; i++)
        steps.push_back(Literal((uint8_t)('a' + (i * 7 + i / 26) % 26)));
    steps.push_back(Match(3, 4096));
    steps.push_back(Match(10, 8191));
    steps.push_back(Match(3, 6000));
    steps.push_back(Literal('z'));
    Bytes model;
    Bytes stream = WriteBlock(steps, plan, model);
    DecodeRun run = DecodeStream(stream, model.size());
    EXPECT_EQ(run.output, model);
    EXPECT_EQ(run.cursorAtEnd, stream.size());

    // Position code 0: distance 0 repeats the byte just written.
    SupportEvents.clear();
    plan.fixedPosition = 0;
    Bytes runModel;
    Bytes runStream = WriteBlock({Literal('r'), Match(10, 0), Literal('s'), Match(3, 0)}, plan, runModel);
    EXPECT_EQ(runModel, Bytes({'r', 'r', 'r', 'r', 'r', 'r', 'r', 'r', 'r', 'r', 'r', 's', 's', 's', 's'}));
    EXPECT_EQ(DecodeStream(runStream, runModel.size()).output, runModel);
    EXPECT_EQ(EventsOf("message: "), Strings{});
}

TEST_F(Lh5DecoderTest, MatchesRunningAcrossAndEndingAtACall)
{
    BlockHeaderPlan plan;
    plan.charLengths = CompleteLengths(Range(0, 509));
    plan.positionLengths = CompleteLengths(Range(0, 13));
    Bytes seed = PatternBytes(8190, 22);

    // 8190 literals, then 10 bytes from a match: 2 in the first call, 8 in the next.
    std::vector<Step> across;
    for (uint8_t byte : seed)
        across.push_back(Literal(byte));
    across.push_back(Match(10, 99));
    across.push_back(Literal(1));
    Bytes acrossModel;
    Bytes acrossStream = WriteBlock(across, plan, acrossModel);
    EXPECT_EQ(DecodeStream(acrossStream, acrossModel.size()).output, acrossModel);

    // A 256-byte match running from 8100 over the end of the call, copying
    // its own output (distance 4): it wraps into the next call's start.
    std::vector<Step> overlapping;
    for (size_t i = 0; i < 8100; i++)
        overlapping.push_back(Literal(seed[i]));
    overlapping.push_back(Match(256, 4));
    overlapping.push_back(Match(200, 8191));
    Bytes overlappingModel;
    Bytes overlappingStream = WriteBlock(overlapping, plan, overlappingModel);
    EXPECT_EQ(DecodeStream(overlappingStream, overlappingModel.size()).output, overlappingModel);

    // A match that ends exactly at 8192 leaves nothing for the next call.
    std::vector<Step> exact;
    for (size_t i = 0; i < 8189; i++)
        exact.push_back(Literal(seed[i]));
    exact.push_back(Match(3, 8000));
    exact.push_back(Literal(2));
    exact.push_back(Match(5, 8191));
    Bytes exactModel;
    Bytes exactStream = WriteBlock(exact, plan, exactModel);
    EXPECT_EQ(DecodeStream(exactStream, exactModel.size()).output, exactModel);
    EXPECT_EQ(EventsOf("message: "), Strings{});
}

TEST_F(Lh5DecoderTest, BlockCountZeroStandsFor65536Codes)
{
    Lh5Stream stream;
    BlockHeaderPlan first;
    first.codeCount = 0;
    first.fixedChar = 'A';
    PutBlockHeader(stream, first);
    BlockHeaderPlan second;
    second.codeCount = 5;
    second.fixedChar = 'B';
    PutBlockHeader(stream, second);
    DecodeRun run = DecodeStream(StreamBytes(stream.bits), 65536 + 5);
    Bytes expected(65536, 'A');
    expected.insert(expected.end(), 5, 'B');
    EXPECT_EQ(run.output, expected);
}

TEST_F(Lh5DecoderTest, SeveralBlocksEachWithItsOwnCodes)
{
    Lh5Stream stream;
    Bytes model;
    BlockHeaderPlan first;
    first.charLengths = CompleteLengths(Range('a', 'h'));
    first.fixedPosition = 0;
    std::vector<Step> steps;
    for (unsigned i = 0; i < 3000; i++)
        steps.push_back(Literal((uint8_t)('a' + i % 8)));
    WriteBlock(steps, first, model, &stream);
    BlockHeaderPlan second;
    std::vector<unsigned> symbols = Range('0', '9');
    symbols.push_back(300);
    second.charLengths = CompleteLengths(symbols);
    second.positionLengths = CompleteLengths(Range(0, 13));
    steps.clear();
    for (unsigned i = 0; i < 2000; i++)
        steps.push_back(i % 5 == 4 ? Match(47, 1000 + i) : Literal((uint8_t)('0' + i % 10)));
    Bytes stream2 = WriteBlock(steps, second, model, &stream);
    DecodeRun run = DecodeStream(stream2, model.size());
    EXPECT_EQ(run.output, model);
    EXPECT_EQ(run.cursorAtEnd, stream2.size());
    EXPECT_EQ(EventsOf("message: "), Strings{});
}

// Lengths 1, 2, ..., top - 1 and two of top: a complete code whose longest
// codes are top bits.
static std::vector<uint8_t> ChainLengths(unsigned firstSymbol, unsigned top)
{
    std::vector<uint8_t> lengths(firstSymbol + top + 1, 0);
    for (unsigned i = 0; i < top; i++)
        lengths[firstSymbol + i] = (uint8_t)(i + 1);
    lengths[firstSymbol + top] = (uint8_t)top;
    return lengths;
}

TEST_F(Lh5DecoderTest, CodesOfTwelveThirteenAndSixteenBits)
{
    for (unsigned top : {13u, 16u}) {
        SupportEvents.clear();
        BlockHeaderPlan plan;
        plan.charLengths = ChainLengths('A', top);
        std::vector<Step> steps;
        for (unsigned round = 0; round < 20; round++) {
            for (unsigned i = 0; i <= top; i++)
                steps.push_back(Literal((uint8_t)('A' + (i * 5 + round) % (top + 1))));
        }
        Bytes model;
        Bytes stream = WriteBlock(steps, plan, model);
        DecodeRun run = DecodeStream(stream, model.size());
        EXPECT_EQ(run.output, model) << top;
        EXPECT_EQ(run.cursorAtEnd, stream.size()) << top;
        EXPECT_EQ(EventsOf("message: "), Strings{}) << top;
    }
}

TEST_F(Lh5DecoderTest, IncompleteCodeIsABadTableButItsCodesStillDecode)
{
    BlockHeaderPlan plan;
    plan.charLengths.assign('c', 0);
    plan.charLengths['a'] = 1;
    plan.charLengths['b'] = 2;   // 1/2 + 1/4: a quarter of the code space unused
    Bytes model;
    Bytes stream = WriteBlock({Literal('a'), Literal('b'), Literal('b'), Literal('a')}, plan, model);
    EXPECT_EQ(DecodeStream(stream, 4).output, model);
    EXPECT_EQ(EventsOf("message: "), Strings{"Bad table"});
}

// How many CharTable entries of the last block carry their position code.
static unsigned FoldedEntries()
{
    unsigned folded = 0;
    for (uint32_t entry : CharTable)
        folded += (entry & FoldedMatchFlag) != 0;
    return folded;
}

// Short character codes and a position code of every length from 1 to 13
// bits, so that some matches find their position code in the same lookup
// (up to 12 + 12 bits with the extra bits) and others read it from the
// position table or its tree; blocks of 1 to 9 codes end just after a
// literal or a match of either kind, and calls end inside folded matches.
TEST_F(Lh5DecoderTest, MatchesWithAndWithoutTheirPositionCodeInOneLookup)
{
    BlockHeaderPlan plan;
    std::vector<unsigned> symbols = Range('a', 'p');
    for (unsigned code = 256; code < 264; code++)  // lengths 3 to 10
        symbols.push_back(code);
    symbols.push_back(509);                        // length 256
    plan.charLengths = CompleteLengths(symbols);

    // Distances of every position code: 0, 1, then 2^(j-1) and 2^j - 1.
    std::vector<unsigned> distances = {0, 1};
    for (unsigned j = 2; j < NumPosCodes; j++) {
        distances.push_back(1u << (j - 1));
        distances.push_back((1u << j) - 1);
    }
    std::vector<Step> steps;
    for (unsigned i = 0; i < 8200; i++)
        steps.push_back(Literal((uint8_t)('a' + (i * 5 + i / 16) % 16)));
    for (unsigned round = 0; round < 60; round++) {
        for (size_t k = 0; k < distances.size(); k++) {
            unsigned length = round % 7 == 6 ? 256 : 3 + (unsigned)(k + round) % 8;
            steps.push_back(Match(length, distances[k]));
            if ((k + round) % 3 == 0)
                steps.push_back(Literal((uint8_t)('a' + k % 16)));
        }
    }

    // Position codes of 1, 2, ..., 13, 13 bits, the short ones for the near
    // distances and then for the far ones (12 extra bits).
    std::vector<uint8_t> chain = ChainLengths(0, 13);
    for (int farShort = 0; farShort < 2; farShort++) {
        SupportEvents.clear();
        plan.positionLengths = chain;
        if (farShort)
            std::reverse(plan.positionLengths.begin(), plan.positionLengths.end());
        Lh5Stream stream;
        Bytes model;
        Bytes bytes;
        size_t at = 0;
        for (unsigned blockSize = 1; at < steps.size(); blockSize = blockSize % 9 + 1) {
            size_t n = std::min<size_t>(at < 8200 ? 8200 : blockSize, steps.size() - at);
            std::vector<Step> block(steps.begin() + (long)at, steps.begin() + (long)(at + n));
            bytes = WriteBlock(block, plan, model, &stream);
            at += n;
        }
        DecodeRun run = DecodeStream(bytes, model.size());
        EXPECT_EQ(run.output, model) << farShort;
        EXPECT_EQ(run.cursorAtEnd, bytes.size()) << farShort;
        EXPECT_EQ(EventsOf("message: "), Strings{}) << farShort;
        EXPECT_GT(FoldedEntries(), 0u) << farShort;  // the lookup held some position codes
    }
}

// A position code that is not complete is shown as a bad table and its
// codes still decode, each read after its match code as before.
TEST_F(Lh5DecoderTest, IncompletePositionCodeKeepsItsOwnLookup)
{
    BlockHeaderPlan plan;
    std::vector<unsigned> symbols = Range('a', 'h');
    symbols.push_back(256);
    plan.charLengths = CompleteLengths(symbols);
    plan.positionLengths.assign(14, 0);
    plan.positionLengths[0] = 1;
    plan.positionLengths[5] = 2;  // half and a quarter of the code space
    std::vector<Step> steps;
    for (unsigned i = 0; i < 40; i++)
        steps.push_back(Literal((uint8_t)('a' + i % 8)));
    for (unsigned i = 0; i < 20; i++)
        steps.push_back(i % 2 ? Match(3, 0) : Match(3, 16 + i / 2));
    Bytes model;
    Bytes stream = WriteBlock(steps, plan, model);
    EXPECT_EQ(DecodeStream(stream, model.size()).output, model);
    EXPECT_EQ(EventsOf("message: "), Strings{"Bad table"});
    EXPECT_EQ(FoldedEntries(), 0u);
}
