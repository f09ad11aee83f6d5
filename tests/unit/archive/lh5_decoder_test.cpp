// The decoder on streams written bit by bit: the one-code forms, matches
// across calls, the extreme distances, a block count of 0, codes of 12, 13
// and 16 bits, and where the cursor stands. Expected output comes from the
// format's definition of literals and matches (ModelLiteral/ModelMatch).
#include <gtest/gtest.h>

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
