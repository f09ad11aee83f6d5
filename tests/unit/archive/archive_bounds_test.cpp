// Archives that are cut short or malformed: each is reported with its own
// message, stops the walk (or, for a decoded member that ends early, goes
// on from where the header says the member ends), returns 0 and never
// reads outside the archive (the fixture hands over an exact-size copy).
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/unit/archive/archive_fixture.h"
#include "tests/support/capture_support.h"
#include "tests/unit/archive/lh5_stream_builder.h"

using Strings = std::vector<std::string>;

typedef ArchiveFixture ArchiveBoundsTest;

// A one-block stream of the given literal bytes, each an 8-bit code.
static Bytes Literals(const Bytes &content)
{
    Lh5Stream stream;
    BlockHeaderPlan plan;
    plan.codeCount = (uint16_t)content.size();
    plan.charLengths.assign(256, 8);
    PutBlockHeader(stream, plan);
    for (uint8_t byte : content)
        PutLiteral(stream, byte);
    return StreamBytes(stream.bits);
}

TEST_F(ArchiveBoundsTest, EmptyBufferAndMissingEndMark)
{
    EXPECT_EQ(Extract(Bytes{}), 0);
    EXPECT_EQ(EventsOf("message: "), Strings{"The archive ends without its end mark."});

    SupportEvents.clear();
    EXPECT_EQ(Extract(BuildArchive({StoredMember("first", Bytes{1, 2})}, false)), 0);
    EXPECT_EQ(FileOf("first"), (Bytes{1, 2}));
    EXPECT_EQ(EventsOf("message: "), Strings{"The archive ends without its end mark."});
}

TEST_F(ArchiveBoundsTest, HeaderCutShortAtEveryLength)
{
    Bytes member = BuildMember(StoredMember("cut.txt", Bytes{1, 2, 3}));
    size_t headerLength = member.size() - 3;
    for (size_t keep = 1; keep < headerLength; keep++) {
        SupportEvents.clear();
        EXPECT_EQ(Extract(Bytes(member.begin(), member.begin() + keep)), 0) << keep;
        EXPECT_EQ(EventsOf("message: "), Strings{"The archive ends inside a member header."}) << keep;
    }
    EXPECT_FALSE(Exists("cut.txt"));
}

TEST_F(ArchiveBoundsTest, HeaderTooShortForItsFields)
{
    MemberPlan plan = StoredMember("", Bytes{});
    Bytes member = BuildMember(plan);  // H = 25, the smallest sound header
    member[0] = 24;                    // one byte fewer: the fields no longer fit
    member.push_back(0);
    EXPECT_EQ(Extract(member), 0);
    Strings messages = EventsOf("message: ");
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "Bad member header: 24 bytes are too few.");
}

TEST_F(ArchiveBoundsTest, NameLongerThanItsHeaderIsRefused)
{
    MemberPlan plan = StoredMember("name.txt", Bytes{1});
    plan.nameLengthDelta = 1;
    EXPECT_EQ(Extract(BuildArchive({plan})), 0);
    EXPECT_EQ(EventsOf("message: "), Strings{"Bad member header: a name of 9 bytes does not fit in it."});

    // The largest header with a name length of 255.
    SupportEvents.clear();
    MemberPlan widest = StoredMember(std::string(230, 'w'), Bytes{1});
    widest.nameLengthDelta = 25;
    EXPECT_EQ(Extract(BuildArchive({widest})), 0);
    EXPECT_EQ(EventsOf("message: "), Strings{"Bad member header: a name of 255 bytes does not fit in it."});
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(ArchiveBoundsTest, LargestHeaderIsReadAndItsMemberWritten)
{
    // H = 255 holds a 230-byte name: the header is sound and, beside a short
    // folder, so is the path. The status text is longer than the label and
    // the log line take: it is shown and logged cut, the member not refused.
    std::string name(230, 'n');
    ASSERT_LT(folder.size() + name.size(), 260u);
    EXPECT_EQ(Extract(BuildArchive({StoredMember(name, Bytes{4})})), 1);
    EXPECT_EQ(FileOf(name), Bytes{4});
    EXPECT_TRUE(EventsOf("message: ").empty());
    std::string status = "Extracting " + name + " to " + folder + name;
    EXPECT_EQ(EventsOf("status: "), Strings{status.substr(0, 127)});
    EXPECT_EQ(EventsOf("log: "), Strings{status.substr(0, 255)});
}

TEST_F(ArchiveBoundsTest, PackedSizeReachingPastTheEnd)
{
    MemberPlan plan = StoredMember("past.bin", Bytes{1, 2, 3});
    plan.packedSizeDelta = 2;  // one byte beyond the end mark
    EXPECT_EQ(Extract(BuildArchive({plan})), 0);
    EXPECT_EQ(EventsOf("message: "),
              Strings{"The packed data of past.bin reaches past the end of the archive."});
    EXPECT_FALSE(Exists("past.bin"));

    SupportEvents.clear();
    MemberPlan huge = PackedMember("-lh5-", "huge.bin", Bytes{1, 2, 3}, Bytes{});
    huge.packedSizeDelta = -4;  // 0xFFFFFFFF: must not wrap round
    EXPECT_EQ(Extract(BuildArchive({huge})), 0);
    EXPECT_EQ(EventsOf("message: "),
              Strings{"The packed data of huge.bin reaches past the end of the archive."});
}

TEST_F(ArchiveBoundsTest, ExtendedHeaderSizesThatDoNotFit)
{
    MemberPlan plan = StoredMember("ext.bin", Bytes{1, 2, 3});
    plan.extended = {Bytes{0x40, 0x41}};
    Bytes good = BuildArchive({plan});
    size_t firstSizeField = 2 + good[0] - 2;  // the last two bytes of the basic header

    struct Case {
        uint16_t size;
        unsigned shown;
    } cases[] = {{1, 1}, {0xFFFF, 0xFFFF}, {10, 10}};
    for (const Case &c : cases) {
        SupportEvents.clear();
        Bytes bad = good;
        bad[firstSizeField] = (uint8_t)c.size;
        bad[firstSizeField + 1] = (uint8_t)(c.size >> 8);
        bad[1] = (uint8_t)(bad[1] + (bad[firstSizeField] - good[firstSizeField]) +
                           (bad[firstSizeField + 1] - good[firstSizeField + 1]));
        EXPECT_EQ(Extract(bad), 0) << c.size;
        EXPECT_EQ(EventsOf("message: "),
                  Strings{"Bad extended header in ext.bin: size " + std::to_string(c.shown) + " does not fit."})
            << c.size;
    }
    EXPECT_FALSE(Exists("ext.bin"));
}

TEST_F(ArchiveBoundsTest, StoredMemberWhoseSizesDiffer)
{
    MemberPlan plan = StoredMember("odd.bin", PatternBytes(10, 1));
    plan.unpackedSize = 11;
    EXPECT_EQ(Extract(BuildArchive({plan})), 0);
    EXPECT_EQ(EventsOf("message: "), Strings{"Stored member odd.bin: 10 bytes stored for 11."});
}

TEST_F(ArchiveBoundsTest, DecodedMemberWithBytesLeftOver)
{
    Bytes content = PatternBytes(500, 2);
    Bytes stream = Literals(content);

    // Two spare bytes are read by the 16-bit look-ahead: sound.
    Bytes two = stream;
    two.insert(two.end(), {0, 0});
    EXPECT_EQ(Extract(BuildArchive({PackedMember("-lh5-", "two.bin", two, content),
                                    StoredMember("after2", Bytes{1})})),
              1);
    EXPECT_EQ(EventsOf("message: "), Strings{});
    EXPECT_EQ(FileOf("two.bin"), content);

    // A third is not: the reader says so and goes on from the member's end.
    SupportEvents.clear();
    Bytes three = stream;
    three.insert(three.end(), {0, 0, 0});
    EXPECT_EQ(Extract(BuildArchive({PackedMember("-lh5-", "three.bin", three, content),
                                    StoredMember("after3", Bytes{2})})),
              0);
    EXPECT_EQ(EventsOf("message: "), Strings{"The packed data of three.bin does not end where its header says."});
    EXPECT_EQ(FileOf("three.bin"), content);
    EXPECT_EQ(FileOf("after3"), Bytes{2});
}

TEST_F(ArchiveBoundsTest, DecodedMemberCutShortReadsZerosNotPastTheArchive)
{
    Bytes content = PatternBytes(3000, 3);
    Bytes stream = Literals(content);
    stream.resize(stream.size() / 2);
    // The last member and no end mark: its packed bytes end the buffer.
    EXPECT_EQ(Extract(BuildArchive({PackedMember("-lh5-", "half.bin", stream, content)}, false)), 0);
    Bytes written = FileOf("half.bin");
    ASSERT_EQ(written.size(), content.size());
    EXPECT_TRUE(std::equal(content.begin(), content.begin() + 1000, written.begin()));
    EXPECT_EQ(EventsOf("message: "), (Strings{"CRC error", "The archive ends without its end mark."}));
}
