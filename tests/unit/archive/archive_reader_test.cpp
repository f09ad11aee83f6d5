// The extraction driver over hand-made level-1 archives: files, bytes,
// messages, status and log lines, progress calls, and the result.
#include <string.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "archive/archive_header.h"
#include "archive/archive_reader.h"
#include "archive/archive_state.h"
#include "archive/crc16.h"
#include "support/settings.h"
#include "tests/support/capture_support.h"
#include "tests/unit/archive/archive_fixture.h"
#include "tests/unit/archive/lh5_stream_builder.h"

using Strings = std::vector<std::string>;

// A -lh5- stream of literals only (every byte value an 8-bit code), one
// block, and the content it decodes to.
static Bytes LiteralStream(const Bytes &content)
{
    Lh5Stream stream;
    BlockHeaderPlan plan;
    plan.codeCount = (uint16_t)content.size();
    plan.charLengths.assign(256, 8);
    plan.fixedPosition = 0;
    PutBlockHeader(stream, plan);
    for (uint8_t byte : content)
        PutLiteral(stream, byte);
    return StreamBytes(stream.bits);
}

typedef ArchiveFixture ExtractArchiveTest;

TEST_F(ExtractArchiveTest, EmptyArchiveExtractsNothingAndSucceeds)
{
    EXPECT_EQ(Extract(Bytes{0}), 1);
    EXPECT_TRUE(SupportEvents.empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(ExtractArchiveTest, OneStoredMemberShowsLogsAndStepsInOrder)
{
    Bytes content = PatternBytes(100, 1);
    EXPECT_EQ(Extract(BuildArchive({StoredMember("a.txt", content)})), 1);
    std::string status = "Extracting a.txt to " + folder + "a.txt";
    EXPECT_EQ(SupportEvents, (Strings{"status: " + status, "log: " + status, "progress: 100/8192", "step"}));
    EXPECT_EQ(FileOf("a.txt"), content);
}

TEST_F(ExtractArchiveTest, TheLimitAndTheEndMarkEndTheWalk)
{
    std::vector<MemberPlan> members;
    for (int i = 0; i < 27; i++)
        members.push_back(StoredMember("m" + std::to_string(i), PatternBytes(10 + i, i)));
    EXPECT_EQ(Extract(BuildArchive(members), 28), 1);
    for (int i = 0; i < 27; i++)
        EXPECT_EQ(FileOf("m" + std::to_string(i)), PatternBytes(10 + i, i)) << i;
    EXPECT_EQ(EventsOf("message: "), Strings{});

    // Past the limit nothing more is read: not even the malformed third header.
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    Bytes twoThenGarbage = BuildArchive({StoredMember("x", Bytes{1}), StoredMember("y", Bytes{2})}, false);
    twoThenGarbage.push_back(7);  // a header size with nothing after it
    SupportEvents.clear();
    EXPECT_EQ(Extract(twoThenGarbage, 2), 1);
    EXPECT_TRUE(Exists("x"));
    EXPECT_TRUE(Exists("y"));
    EXPECT_EQ(EventsOf("message: "), Strings{});
}

TEST_F(ExtractArchiveTest, ZeroSizeMemberMakesAnEmptyFileWithoutBlocks)
{
    EXPECT_EQ(Extract(BuildArchive({StoredMember("empty.dat", Bytes{})})), 1);
    bool exists = false;
    EXPECT_EQ(FileOf("empty.dat", &exists), Bytes{});
    EXPECT_TRUE(exists);
    EXPECT_EQ(EventsOf("progress: "), Strings{"0/8192"});
    EXPECT_EQ(CountEvents("step"), 0);

    // Its CRC is compared with 0: any other stored CRC is an error.
    SupportEvents.clear();
    MemberPlan wrong = StoredMember("empty2.dat", Bytes{});
    wrong.crc = 1;
    EXPECT_EQ(Extract(BuildArchive({wrong})), 0);
    EXPECT_EQ(EventsOf("message: "), Strings{"CRC error"});
}

TEST_F(ExtractArchiveTest, BlocksOf8192WithAShortLastOneSteppedToo)
{
    const size_t sizes[] = {1, 8191, 8192, 8193, 16384, 24577, 70000};  // 70000: past 16 bits
    for (size_t size : sizes) {
        SupportEvents.clear();
        Bytes content = PatternBytes(size, (uint32_t)size);
        std::string name = "s" + std::to_string(size);
        EXPECT_EQ(Extract(BuildArchive({StoredMember(name, content)})), 1) << size;
        EXPECT_EQ(FileOf(name), content) << size;
        EXPECT_EQ(EventsOf("progress: "), Strings{std::to_string(size) + "/8192"});
        EXPECT_EQ(CountEvents("step"), (int)((size + 8191) / 8192)) << size;
    }
}

TEST_F(ExtractArchiveTest, CompressedMembersOfBlockBoundarySizes)
{
    const size_t sizes[] = {8191, 8192, 8193, 16384};
    for (size_t size : sizes) {
        SupportEvents.clear();
        Bytes content = PatternBytes(size, (uint32_t)size + 7);
        std::string name = "c" + std::to_string(size);
        EXPECT_EQ(Extract(BuildArchive({PackedMember("-lh5-", name, LiteralStream(content), content)})), 1);
        EXPECT_EQ(FileOf(name), content) << size;
        EXPECT_EQ(CountEvents("step"), (int)((size + 8191) / 8192)) << size;
    }
}

TEST_F(ExtractArchiveTest, HeaderSumErrorIsShownAndTheMemberStillExtracted)
{
    MemberPlan plan = StoredMember("sum.txt", PatternBytes(50, 3));
    plan.sumDelta = 1;
    EXPECT_EQ(Extract(BuildArchive({plan, StoredMember("next.txt", Bytes{9})})), 0);
    EXPECT_EQ(SupportEvents.front(), "message: Header sum error");
    EXPECT_EQ(EventsOf("message: "), Strings{"Header sum error"});
    EXPECT_EQ(FileOf("sum.txt"), PatternBytes(50, 3));
    EXPECT_EQ(FileOf("next.txt"), Bytes{9});
}

TEST_F(ExtractArchiveTest, MethodsZeroFourAndFiveAreReadSixIsRefused)
{
    Bytes content = PatternBytes(3000, 4);
    Bytes stream = LiteralStream(content);
    MemberPlan six = PackedMember("-lh6-", "six.bin", stream, content);
    EXPECT_EQ(Extract(BuildArchive({StoredMember("zero.bin", content),
                                    PackedMember("-lh4-", "four.bin", stream, content),
                                    PackedMember("-lh5-", "five.bin", stream, content), six,
                                    StoredMember("after.bin", Bytes{1, 2})})),
              0);
    EXPECT_EQ(FileOf("zero.bin"), content);
    EXPECT_EQ(FileOf("four.bin"), content);
    EXPECT_EQ(FileOf("five.bin"), content);
    bool exists = false;
    EXPECT_EQ(FileOf("six.bin", &exists), Bytes{});
    EXPECT_TRUE(exists);
    EXPECT_EQ(EventsOf("message: "), (Strings{"Unknown method: 54", "CRC error"}));
    EXPECT_EQ(FileOf("after.bin"), (Bytes{1, 2}));  // the refused data was skipped exactly
}

TEST_F(ExtractArchiveTest, UnknownMethodWithStoredCrcZeroShowsNoCrcError)
{
    MemberPlan plan = StoredMember("odd.bin", Bytes{5, 6, 7});
    plan.method = "-lz5-";
    plan.crc = 0;
    EXPECT_EQ(Extract(BuildArchive({plan})), 0);
    EXPECT_EQ(EventsOf("message: "), Strings{"Unknown method: 53"});
    EXPECT_EQ(CountEvents("step"), 0);
}

TEST_F(ExtractArchiveTest, ExtendedHeadersAreShownOneByOneAndSkipped)
{
    Bytes content = PatternBytes(20000, 5);
    MemberPlan plan = PackedMember("-lh5-", "ext.bin", LiteralStream(content), content);
    plan.extended = {Bytes{0x00, 0x11, 0x22}, Bytes(10, 0x40)};
    MemberPlan stored = StoredMember("ext0.bin", Bytes{3, 1, 4});
    stored.extended = {Bytes{0x01}};
    EXPECT_EQ(Extract(BuildArchive({plan, stored})), 1);
    EXPECT_EQ(EventsOf("message: "), (Strings{"There's an extended header of size 5.",
                                              "There's an extended header of size 12.",
                                              "There's an extended header of size 3."}));
    EXPECT_EQ(FileOf("ext.bin"), content);
    EXPECT_EQ(FileOf("ext0.bin"), (Bytes{3, 1, 4}));
    // The messages come after the status text and before the progress.
    EXPECT_EQ(SupportEvents[2], "message: There's an extended header of size 5.");
    EXPECT_EQ(SupportEvents[4], "progress: 20000/8192");
}

TEST_F(ExtractArchiveTest, FileThatCannotBeOpenedIsNotExtracted)
{
    EXPECT_EQ(Extract(BuildArchive({StoredMember("nosuchdir/a.txt", PatternBytes(30, 6)),
                                    StoredMember("b.txt", Bytes{1})})),
              0);
    EXPECT_EQ(EventsOf("message: "),
              (Strings{"Can't open " + folder + "nosuchdir/a.txt for writing.", "Not extracted"}));
    // No status, log or progress for the member that was not extracted.
    EXPECT_EQ(EventsOf("status: "), Strings{"Extracting b.txt to " + folder + "b.txt"});
    EXPECT_EQ(EventsOf("progress: "), Strings{"1/8192"});
    EXPECT_FALSE(Exists("nosuchdir"));
    EXPECT_EQ(FileOf("b.txt"), Bytes{1});
}

// The paths the extraction announced, and the one it is to refuse.
static Strings AnnouncedPaths;
static std::string RefusedPath;

static int NoteAnnouncedPath(const char *path)
{
    AnnouncedPaths.push_back(path);
    return RefusedPath != path;
}

TEST_F(ExtractArchiveTest, EachOutputIsAnnouncedBeforeItIsOpenedAndARefusalStopsTheWalk)
{
    AnnouncedPaths.clear();
    RefusedPath = PathOf("b.txt");
    ArchiveOpeningFile = NoteAnnouncedPath;
    int result = Extract(BuildArchive({StoredMember("a.txt", Bytes{1}),
                                       StoredMember("b.txt", Bytes{2}),
                                       StoredMember("c.txt", Bytes{3})}));
    ArchiveOpeningFile = nullptr;

    EXPECT_EQ(result, 0);
    EXPECT_EQ(AnnouncedPaths, (Strings{PathOf("a.txt"), PathOf("b.txt")}));
    // The refused member is neither made nor told: the caller says why.
    EXPECT_TRUE(EventsOf("message: ").empty());
    EXPECT_EQ(FileOf("a.txt"), Bytes{1});
    EXPECT_FALSE(Exists("b.txt"));
    EXPECT_FALSE(Exists("c.txt"));

    // A test walk writes nothing, so it announces nothing.
    AnnouncedPaths.clear();
    ArchiveOpeningFile = NoteAnnouncedPath;
    ArchiveTestOnly = 1;
    result = Extract(BuildArchive({StoredMember("b.txt", Bytes{2})}));
    ArchiveTestOnly = 0;
    ArchiveOpeningFile = nullptr;
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(AnnouncedPaths.empty());
}

TEST_F(ExtractArchiveTest, ReplacementNameFromInputIsUsed)
{
    SetReplacementInput("nosuchdir/again.txt\nrenamed.txt\n");
    Bytes content = PatternBytes(40, 7);
    EXPECT_EQ(Extract(BuildArchive({StoredMember("nosuchdir/a.txt", content)})), 0);
    EXPECT_EQ(EventsOf("message: "),
              (Strings{"Can't open " + folder + "nosuchdir/a.txt for writing.",
                       "Can't open " + folder + "nosuchdir/again.txt for writing."}));
    EXPECT_EQ(EventsOf("status: "), Strings{"Extracting renamed.txt to " + folder + "renamed.txt"});
    EXPECT_EQ(FileOf("renamed.txt"), content);
}

TEST_F(ExtractArchiveTest, ReadReplacementNameKeepsTheLimitAndDropsTheRestOfTheLine)
{
    SetReplacementInput(std::string(300, 'x') + "\nshort\nlast");
    char name[MemberNameLimit + 1];
    EXPECT_EQ(ReadReplacementName(name, MemberNameLimit), 230);
    EXPECT_EQ(std::string(name), std::string(230, 'x'));
    EXPECT_EQ(ReadReplacementName(name, MemberNameLimit), 5);
    EXPECT_STREQ(name, "short");
    EXPECT_EQ(ReadReplacementName(name, MemberNameLimit), 4);
    EXPECT_STREQ(name, "last");
    EXPECT_EQ(ReadReplacementName(name, MemberNameLimit), 0);
    EXPECT_STREQ(name, "");
}

TEST_F(ExtractArchiveTest, CrcErrorLeavesTheWrittenFile)
{
    MemberPlan plan = StoredMember("bad.crc", PatternBytes(9000, 8));
    plan.crc ^= 0x0100;
    EXPECT_EQ(Extract(BuildArchive({plan})), 0);
    EXPECT_EQ(EventsOf("message: "), Strings{"CRC error"});
    EXPECT_EQ(FileOf("bad.crc"), PatternBytes(9000, 8));
}

TEST_F(ExtractArchiveTest, ExistingFileIsReplaced)
{
    FILE *old = fopen(PathOf("keep.txt").c_str(), "wb");
    ASSERT_NE(old, nullptr);
    fputs("an older and much longer content than the new one", old);
    fclose(old);
    EXPECT_EQ(Extract(BuildArchive({StoredMember("keep.txt", Bytes{'n', 'e', 'w'})})), 1);
    EXPECT_EQ(FileOf("keep.txt"), (Bytes{'n', 'e', 'w'}));
}

TEST_F(ExtractArchiveTest, PercentInNamesIsShownLiterally)
{
    EXPECT_EQ(Extract(BuildArchive({StoredMember("100%s%d.txt", Bytes{1})})), 1);
    std::string status = "Extracting 100%s%d.txt to " + folder + "100%s%d.txt";
    EXPECT_EQ(EventsOf("status: "), Strings{status});
    EXPECT_EQ(EventsOf("log: "), Strings{status});
}

TEST_F(ExtractArchiveTest, TestingOnlyDecodesAndChecksButWritesNoFile)
{
    Bytes content = PatternBytes(10000, 9);
    MemberPlan bad = StoredMember("bad.bin", Bytes{1, 2, 3});
    bad.crc ^= 1;
    ArchiveTestOnly = 1;
    EXPECT_EQ(Extract(BuildArchive({PackedMember("-lh5-", "good.bin", LiteralStream(content), content)})), 1);
    EXPECT_EQ(EventsOf("status: "), Strings{"Testing good.bin"});
    EXPECT_EQ(Extract(BuildArchive({bad})), 0);
    EXPECT_EQ(EventsOf("message: "), Strings{"CRC error"});
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    EXPECT_TRUE(EventsOf("log: ").empty());
}

TEST_F(ExtractArchiveTest, ShortWriteShowsUnableToWrite)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    strcpy(InstallFolder, "/dev/");
    EXPECT_EQ(Extract(BuildArchive({StoredMember("full", PatternBytes(20000, 10))})), 0);
    Strings messages = EventsOf("message: ");
    ASSERT_FALSE(messages.empty());
    for (const std::string &message : messages)
        EXPECT_EQ(message, "Unable to write");
}

TEST_F(ExtractArchiveTest, NamesThatLeaveTheFolderAreRefused)
{
    std::filesystem::create_directory(folder + "inner");
    strcpy(InstallFolder, (folder + "inner/").c_str());
    const char *unsafe[] = {"../escape.txt", "/abs.txt", "\\abs.txt", "C:drive.txt", "a:stream",
                            "sub/../../up.txt", "sub\\..\\..\\up.txt", ". ./dots.txt", "..."};
    for (const char *name : unsafe) {
        SupportEvents.clear();
        EXPECT_EQ(Extract(BuildArchive({StoredMember(name, Bytes{6, 6}), StoredMember("ok.txt", Bytes{7})})), 0)
            << name;
        EXPECT_EQ(EventsOf("message: "),
                  (Strings{std::string("The name ") + name + " leads outside the install folder.",
                           "Not extracted"}))
            << name;
        EXPECT_EQ(FileBytes(folder + "inner/ok.txt"), Bytes{7}) << name;
    }
    EXPECT_FALSE(Exists("escape.txt"));
    EXPECT_FALSE(Exists("up.txt"));

    // Dots inside names and hidden files are plain names.
    SupportEvents.clear();
    EXPECT_EQ(Extract(BuildArchive({StoredMember("a..b.txt", Bytes{1}), StoredMember(".hidden", Bytes{2})})), 1);
    EXPECT_EQ(FileBytes(folder + "inner/a..b.txt"), Bytes{1});
    EXPECT_EQ(FileBytes(folder + "inner/.hidden"), Bytes{2});
}

TEST_F(ExtractArchiveTest, PathsThatDoNotFitAreRefusedNotCut)
{
    // The output path, folder text and name, takes at most 259 characters.
    const size_t nameLength = 10;
    std::string longFolder = folder + std::string(259 - nameLength - folder.size() - 1, 'd') + "/";
    ASSERT_EQ(longFolder.size() + nameLength, 259u);
    std::filesystem::create_directory(longFolder);
    strcpy(InstallFolder, longFolder.c_str());
    std::string fits(nameLength, 'f');
    std::string tooLong(nameLength + 1, 'g');
    EXPECT_EQ(Extract(BuildArchive({StoredMember(fits, Bytes{1})})), 1);
    EXPECT_EQ(FileBytes(longFolder + fits), Bytes{1});
    // Its status text is shown and logged cut to the label and the log line.
    std::string status = "Extracting " + fits + " to " + longFolder + fits;
    EXPECT_EQ(EventsOf("status: "), Strings{status.substr(0, 127)});
    EXPECT_EQ(EventsOf("log: "), Strings{status.substr(0, 255)});

    SupportEvents.clear();
    EXPECT_EQ(Extract(BuildArchive({StoredMember(tooLong, Bytes{2})})), 0);
    EXPECT_EQ(EventsOf("message: "),
              (Strings{"The path for " + tooLong + " is too long.", "Not extracted"}));
    EXPECT_FALSE(std::filesystem::exists(longFolder + tooLong));
    EXPECT_TRUE(EventsOf("status: ").empty());

    // A path beyond 259 characters is refused before any file is opened.
    SupportEvents.clear();
    std::string hugeFolder = "/" + std::string(250, 'h') + "/";
    strcpy(InstallFolder, hugeFolder.c_str());
    EXPECT_EQ(Extract(BuildArchive({StoredMember("name.txt", Bytes{3})})), 0);
    EXPECT_EQ(EventsOf("message: "), (Strings{"The path for name.txt is too long.", "Not extracted"}));
}

// The cursor rule: after each member the reader stands on the next header,
// for stored and decoded members alike (whose 16-bit look-ahead has read
// all their packed bytes by the time their last byte is produced).
TEST_F(ExtractArchiveTest, CursorStandsOnTheNextHeaderAfterEachMember)
{
    Bytes content = PatternBytes(9000, 11);
    std::vector<MemberPlan> plans = {StoredMember("one", PatternBytes(77, 12)),
                                     PackedMember("-lh5-", "two", LiteralStream(content), content),
                                     StoredMember("three", Bytes{})};
    Bytes archive = BuildArchive(plans);
    ArchiveTestOnly = 1;
    ASSERT_EQ(ExtractArchive(0, archive.data(), (uint32_t)archive.size()), 1);  // sets the archive up
    EXPECT_EQ(SupportEvents, Strings{});
    ArchiveCursor = archive.data();
    size_t expected = 0;
    for (const MemberPlan &plan : plans) {
        ASSERT_EQ(ReadMemberHeader(), 1);
        ExtractMember();
        expected += BuildMember(plan).size();
        EXPECT_EQ((size_t)(ArchiveCursor - archive.data()), expected) << plan.name;
    }
    EXPECT_EQ(ReadMemberHeader(), 0);
    EXPECT_EQ((size_t)(ArchiveCursor - archive.data()), archive.size());
    EXPECT_EQ(EventsOf("message: "), Strings{});
}
