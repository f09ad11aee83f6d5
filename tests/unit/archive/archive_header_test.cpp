// The header walk used without extraction (listing, removal, the space an
// install needs), the method test and the name check.
#include <gtest/gtest.h>

#include "archive/archive_header.h"
#include "tests/unit/archive/archive_builder.h"
#include "tests/support/capture_support.h"

TEST(ReadArchiveEntry, WalksMembersWithTheirFieldsAndEndsAtTheMark)
{
    MemberPlan first = StoredMember("readme.txt", PatternBytes(33, 1));
    MemberPlan second = PackedMember("-lh5-", "game.exe", Bytes{9, 8, 7, 6}, PatternBytes(1000, 2));
    second.extended = {Bytes{0x00, 0x12, 0x34}};
    Bytes archive = BuildArchive({first, second});
    SupportEvents.clear();

    uint32_t offset = 0;
    ArchiveEntry entry;
    ASSERT_EQ(ReadArchiveEntry(archive.data(), (uint32_t)archive.size(), &offset, &entry), 1);
    EXPECT_STREQ(entry.name, "readme.txt");
    EXPECT_STREQ(entry.method, "-lh0-");
    EXPECT_EQ(entry.packedSize, 33u);
    EXPECT_EQ(entry.unpackedSize, 33u);
    EXPECT_EQ(entry.storedCrc, ReferenceCrc(PatternBytes(33, 1)));
    EXPECT_EQ(entry.headerSize, 10 + 25);
    EXPECT_EQ(entry.packedOffset, 2u + 35u);
    EXPECT_EQ(offset, 2u + 35u + 33u);

    uint32_t secondStart = offset;
    ASSERT_EQ(ReadArchiveEntry(archive.data(), (uint32_t)archive.size(), &offset, &entry), 1);
    EXPECT_STREQ(entry.name, "game.exe");
    EXPECT_EQ(entry.packedSize, 5u + 4u);
    EXPECT_EQ(entry.extendedCount, 1);
    EXPECT_EQ(entry.extendedSize, 5u);
    EXPECT_EQ(entry.firstExtendedSize, 5);
    EXPECT_EQ(entry.dataOffset, secondStart + 2 + 33 + 5);
    EXPECT_EQ(entry.unpackedSize, 1000u);
    EXPECT_EQ(entry.storedCrc, ReferenceCrc(PatternBytes(1000, 2)));

    ASSERT_EQ(ReadArchiveEntry(archive.data(), (uint32_t)archive.size(), &offset, &entry), 0);
    EXPECT_EQ(offset, archive.size());
    EXPECT_TRUE(SupportEvents.empty());
}

TEST(ReadArchiveEntry, NameIsCutAtAZeroByte)
{
    Bytes archive = BuildArchive({StoredMember(std::string("a\0../../x", 9), Bytes{1})});
    uint32_t offset = 0;
    ArchiveEntry entry;
    ASSERT_EQ(ReadArchiveEntry(archive.data(), (uint32_t)archive.size(), &offset, &entry), 1);
    EXPECT_STREQ(entry.name, "a");
}

TEST(ArchiveUnpackedSpace, RoundsEachMemberUpToWholeClustersWithinTheLimit)
{
    // Unpacked sizes 0, 1, 4096, 4097 and 10000 (the last one compressed;
    // only its header's size counts).
    std::vector<MemberPlan> members = {
        StoredMember("empty", Bytes{}), StoredMember("one", Bytes{7}),
        StoredMember("page", PatternBytes(4096, 3)), StoredMember("page1", PatternBytes(4097, 4)),
        PackedMember("-lh5-", "big", Bytes{1, 2, 3}, PatternBytes(10000, 5))};
    Bytes archive = BuildArchive(members);
    uint32_t size = (uint32_t)archive.size();
    SupportEvents.clear();

    EXPECT_EQ(ArchiveUnpackedSpace(archive.data(), size, 28, 4096), 4096u * (0 + 1 + 1 + 2 + 3));
    EXPECT_EQ(ArchiveUnpackedSpace(archive.data(), size, 28, 512), 512u * (0 + 1 + 8 + 9 + 20));
    EXPECT_EQ(ArchiveUnpackedSpace(archive.data(), size, 28, 0), 0u + 1 + 4096 + 4097 + 10000);
    EXPECT_EQ(ArchiveUnpackedSpace(archive.data(), size, 3, 4096), 4096u * 2);
    EXPECT_TRUE(SupportEvents.empty());

    // Sizes near 4 GiB add up in 64 bits.
    MemberPlan huge = PackedMember("-lh5-", "huge", Bytes{1, 2, 3}, Bytes{});
    huge.unpackedSize = 0xFFFFFFFFu;
    Bytes large = BuildArchive({huge, huge});
    EXPECT_EQ(ArchiveUnpackedSpace(large.data(), (uint32_t)large.size(), 28, 4096),
              2 * 0x100000000ull);
}

// Removal reads the names it may delete in one walk that shows nothing: a
// wrong header sum, or a malformed header where the walk stops, is told by
// the extraction alone.
TEST(ArchiveMemberNames, CollectsTheNamesInOneQuietWalkUpToTheLimit)
{
    MemberPlan wrongSum = StoredMember("level1.map", PatternBytes(20, 6));
    wrongSum.sumDelta = 1;
    MemberPlan cutShort = StoredMember("lost.dat", PatternBytes(9, 7));
    cutShort.packedSizeDelta = 100000;  // its packed data reaches past the archive
    Bytes archive = BuildArchive({StoredMember("kestdemo.exe", Bytes{1}), wrongSum, cutShort,
                                  StoredMember("never.dat", Bytes{2})}, false);
    char names[4][MemberNameLimit + 1];
    SupportEvents.clear();

    ASSERT_EQ(ArchiveMemberNames(archive.data(), (uint32_t)archive.size(), names, 4), 2u);
    EXPECT_STREQ(names[0], "kestdemo.exe");
    EXPECT_STREQ(names[1], "level1.map");
    EXPECT_EQ(ArchiveMemberNames(archive.data(), (uint32_t)archive.size(), names, 1), 1u);
    EXPECT_TRUE(SupportEvents.empty());
}

TEST(AcceptedMethod, OnlyStoredAndTheTwoLh5Methods)
{
    const char *accepted[] = {"-lh0-", "-lh4-", "-lh5-"};
    const char *refused[] = {"-lh6-", "-lh7-", "-lhd-", "-lz5-", "xlh5-", "-lh5x", "-LH5-"};
    ArchiveEntry entry = {};
    for (const char *method : accepted) {
        memcpy(entry.method, method, 6);
        EXPECT_EQ(AcceptedMethod(&entry), method[3]) << method;
    }
    for (const char *method : refused) {
        memcpy(entry.method, method, 6);
        EXPECT_EQ(AcceptedMethod(&entry), 0) << method;
    }
}

TEST(IsPlainMemberName, RefusesWhatLeavesTheFolder)
{
    const char *plain[] = {"kestdemo.exe", "data/level1.dat", "data\\level1.dat", "a..b", ".hidden",
                           "x.", "..x", "x/.y"};
    for (const char *name : plain)
        EXPECT_TRUE(IsPlainMemberName(name)) << name;
    const char *unsafe[] = {"..", "../x", "x/..", "x/../y", "x\\..\\y", "/etc/passwd", "\\windows",
                            "C:\\x", "c:x", "name:stream", ". .", ".. ", "dir/.../file"};
    for (const char *name : unsafe)
        EXPECT_FALSE(IsPlainMemberName(name)) << name;
}
