// Streams whose counts and lengths the format does not bound: every one
// shows "Bad table", stays inside the tables and tree links (checked by
// AddressSanitizer), reads nothing past the packed bytes and ends.
#include <gtest/gtest.h>

#include "tests/support/capture_support.h"
#include "tests/support/decode_stream.h"
#include "tests/unit/archive/lh5_stream_builder.h"

using Strings = std::vector<std::string>;

class Lh5HostileTest : public ::testing::Test {
protected:
    void SetUp() override { SupportEvents.clear(); }
};

static void PutOneCodeForm(StreamBitWriter &bits, unsigned countBits, unsigned code)
{
    PutBits(bits, 0, countBits);
    PutBits(bits, code, countBits);
}

// The standard pre-tree of the stream builder, written by hand: 19 lengths
// (13 of 4, 6 of 5), with the 2-bit zero count after the third.
static void PutStandardPreTree(StreamBitWriter &bits)
{
    std::vector<uint8_t> lengths(19, 4);
    for (unsigned i = 13; i < 19; i++)
        lengths[i] = 5;
    PutAuxLengths(bits, lengths, 5, 3);
}

static CodeBook StandardPreCodes()
{
    std::vector<uint8_t> lengths(19, 4);
    for (unsigned i = 13; i < 19; i++)
        lengths[i] = 5;
    return MakeCodeBook(lengths);
}

TEST_F(Lh5HostileTest, PreTreeCountAbove19)
{
    StreamBitWriter bits;
    PutBits(bits, 10, 16);
    PutAuxLengths(bits, std::vector<uint8_t>(31, 5), 5, 3);  // 31 lengths for 19 codes
    PutOneCodeForm(bits, 9, 'A');
    PutOneCodeForm(bits, 4, 0);
    EXPECT_EQ(DecodeStream(StreamBytes(bits), 10).output, Bytes(10, 'A'));
    EXPECT_EQ(EventsOf("message: "), Strings{"Bad table"});
}

TEST_F(Lh5HostileTest, PositionCountAbove14)
{
    StreamBitWriter bits;
    PutBits(bits, 10, 16);
    PutOneCodeForm(bits, 5, 0);
    PutOneCodeForm(bits, 9, 'B');
    PutAuxLengths(bits, std::vector<uint8_t>(15, 4), 4, -1);  // 15 lengths for 14 codes
    EXPECT_EQ(DecodeStream(StreamBytes(bits), 10).output, Bytes(10, 'B'));
    EXPECT_EQ(EventsOf("message: "), Strings{"Bad table"});
}

TEST_F(Lh5HostileTest, CharacterCountAndZeroRunsPast510)
{
    CodeBook pre = StandardPreCodes();
    for (int variant = 0; variant < 2; variant++) {
        SupportEvents.clear();
        StreamBitWriter bits;
        PutBits(bits, 10, 16);
        PutStandardPreTree(bits);
        if (variant == 0) {
            // 511 lengths: 'C' gets 1 bit, 'D' 1 bit, the rest zeros.
            PutBits(bits, 511, 9);
            for (unsigned i = 0; i < 511; i++) {
                unsigned code = (i == 'C' || i == 'D') ? 1 + 2 : 0;
                PutBits(bits, pre.codes[code], pre.lengths[code]);
            }
        } else {
            // 510 lengths, but a run of 531 zeros comes first.
            PutBits(bits, 510, 9);
            PutBits(bits, pre.codes[2], pre.lengths[2]);
            PutBits(bits, 511, 9);
        }
        PutOneCodeForm(bits, 4, 0);
        for (int i = 0; i < 10; i++)
            PutBits(bits, i % 2, 1);
        DecodeRun run = DecodeStream(StreamBytes(bits), 10);
        EXPECT_EQ(run.output.size(), 10u);
        EXPECT_EQ(EventsOf("message: "), Strings{"Bad table"}) << variant;
        if (variant == 0)
            EXPECT_EQ(run.output, Bytes({'C', 'D', 'C', 'D', 'C', 'D', 'C', 'D', 'C', 'D'}));
    }
}

TEST_F(Lh5HostileTest, OverfullCodeThatWrapsToLookComplete)
{
    // Four position codes of 1 bit fill the code space twice over; in 16
    // bits the sum wraps to 0 as a complete code's does.
    // The character code: 'x' and the match of length 3, one bit each.
    StreamBitWriter bits;
    PutBits(bits, 4, 16);
    PutStandardPreTree(bits);
    CodeBook pre = StandardPreCodes();
    PutBits(bits, 257, 9);
    for (unsigned i = 0; i < 257; i++) {
        unsigned code = (i == 'x' || i == 256) ? 3 : 0;
        PutBits(bits, pre.codes[code], pre.lengths[code]);
    }
    PutAuxLengths(bits, {1, 1, 1, 1}, 4, -1);
    // 'x', match of 3 at position code 0 (bit 0), match at code 1 (bit 1), 'x'.
    PutBits(bits, 0, 1);
    PutBits(bits, 1, 1);
    PutBits(bits, 0, 1);
    PutBits(bits, 1, 1);
    PutBits(bits, 1, 1);
    PutBits(bits, 0, 1);
    DecodeRun run = DecodeStream(StreamBytes(bits), 8);
    EXPECT_EQ(run.output, Bytes(8, 'x'));
    EXPECT_EQ(EventsOf("message: "), Strings{"Bad table"});
}

TEST_F(Lh5HostileTest, UnaryLengthRunningPastSixteenBits)
{
    StreamBitWriter bits;
    PutBits(bits, 3, 16);
    PutOneCodeForm(bits, 5, 0);
    PutOneCodeForm(bits, 9, 'E');
    PutBits(bits, 2, 4);          // two position lengths
    PutBits(bits, 7, 3);          // the first: 7 and then ones without end
    PutBits(bits, 0xFFFFF, 20);
    PutBits(bits, 1, 3);
    DecodeRun run = DecodeStream(StreamBytes(bits), 3);
    EXPECT_EQ(run.output, Bytes(3, 'E'));
    EXPECT_EQ(EventsOf("message: "), Strings{"Bad table"});
}

TEST_F(Lh5HostileTest, OneCodeFormsOutsideTheirAlphabets)
{
    // A character code of 511 and a position code of 15 do not exist: the
    // table gives code 0 (the byte 0) and distance 0 instead.
    StreamBitWriter bits;
    PutBits(bits, 5, 16);
    PutOneCodeForm(bits, 5, 25);   // pre-tree code 25 of 19: unused here
    PutOneCodeForm(bits, 9, 511);
    PutOneCodeForm(bits, 4, 15);
    DecodeRun run = DecodeStream(StreamBytes(bits), 5);
    EXPECT_EQ(run.output, Bytes(5, 0));
    EXPECT_EQ(EventsOf("message: "), (Strings{"Bad table", "Bad table", "Bad table"}));
}

TEST_F(Lh5HostileTest, AllLengthsZeroIsNoCode)
{
    CodeBook pre = StandardPreCodes();
    StreamBitWriter bits;
    PutBits(bits, 4, 16);
    PutStandardPreTree(bits);
    PutBits(bits, 3, 9);
    for (int i = 0; i < 3; i++)
        PutBits(bits, pre.codes[0], pre.lengths[0]);
    PutOneCodeForm(bits, 4, 0);
    DecodeRun run = DecodeStream(StreamBytes(bits), 4);
    EXPECT_EQ(run.output.size(), 4u);
    EXPECT_EQ(EventsOf("message: "), Strings{"Bad table"});
}

// In a code that is not complete, bits that begin no code read as the byte
// 0 and take as many bits as the byte 0's own code, whether the table finds
// nothing or a tree walk meets a missing link.
TEST_F(Lh5HostileTest, BitsThatBeginNoCodeReadAsByteZero)
{
    // The byte 0 is "10", 'a' is "0" and 'b' is "1100000000000" (13 bits,
    // past the 12-bit table): "111..." begins no code, nor does
    // "1100000000001" (the link beside 'b''s).
    BlockHeaderPlan plan;
    plan.charLengths.assign('c', 0);
    plan.charLengths[0] = 2;
    plan.charLengths['a'] = 1;
    plan.charLengths['b'] = 13;
    plan.codeCount = 16;
    Lh5Stream stream;
    PutBlockHeader(stream, plan);
    PutLiteral(stream, 'b');
    PutBits(stream.bits, 0x3, 2);       // "11" before "10": no code, read as 0 in 2 bits
    PutLiteral(stream, 0);
    PutBits(stream.bits, 0x1801, 13);   // no code: 0 in 2 bits, then ten 'a's from its zeros
    PutBits(stream.bits, 0, 1);         // with the 1 left over: "10", the byte 0
    PutLiteral(stream, 'a');
    Bytes expected = {'b', 0, 0, 0};
    expected.insert(expected.end(), 10, 'a');
    expected.push_back(0);
    expected.push_back('a');
    EXPECT_EQ(DecodeStream(StreamBytes(stream.bits), expected.size()).output, expected);
    EXPECT_EQ(EventsOf("message: "), Strings{"Bad table"});
}

// Arbitrary bytes as a stream: decoding ends, reads nothing past the
// stream's last byte (the buffer is exact, so AddressSanitizer would stop
// it) and writes nothing outside the decoder's buffers; the only message
// it may show is "Bad table".
TEST_F(Lh5HostileTest, RandomStreamsShowOnlyBadTableAndStayInBounds)
{
    int streamsWithBadTables = 0;
    for (uint32_t seed = 1; seed <= 300; seed++) {
        SupportEvents.clear();
        Bytes stream = PatternBytes(1 + seed * 7 % 700, seed);
        DecodeStream(stream, 20000);
        Strings messages = EventsOf("message: ");
        for (const std::string &message : messages)
            ASSERT_EQ(message, "Bad table") << seed;
        streamsWithBadTables += !messages.empty();
    }
    EXPECT_GT(streamsWithBadTables, 0) << "random bytes should make some tables unsound";
}
