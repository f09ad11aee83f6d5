// The table-driven CRC-16 against the standard check value and against a
// bit-by-bit reference on every length up to a few slicing groups.
#include <gtest/gtest.h>

#include "archive/crc16.h"
#include "archive/crc16_carryless.h"
#include "tests/unit/archive/archive_builder.h"

TEST(Crc16, StandardCheckValueAndTableEntries)
{
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(FoldCrc(0, check, sizeof check), 0xBB3D);  // CRC-16/ARC check value
    EXPECT_EQ(ReferenceCrc(Bytes(check, check + sizeof check)), 0xBB3D);
    EXPECT_EQ(CrcTables.slices[0][0], 0x0000);
    EXPECT_EQ(CrcTables.slices[0][1], 0xC0C1);
    EXPECT_EQ(CrcTables.slices[0][255], 0x4040);
}

TEST(Crc16, MatchesTheBitwiseReferenceAtEveryLengthAndSplit)
{
    Bytes data = PatternBytes(100, 77);
    for (size_t length = 0; length <= data.size(); length++) {
        Bytes part(data.begin(), data.begin() + length);
        EXPECT_EQ(FoldCrc(0, part.data(), part.size()), ReferenceCrc(part)) << length;
        size_t split = length / 3;
        uint16_t folded = FoldCrc(0, part.data(), split);
        folded = FoldCrc(folded, part.data() + split, length - split);
        EXPECT_EQ(folded, ReferenceCrc(part)) << length;
    }
}

// The carry-less fold against the tables on lengths around its strides
// (64 bytes) and lanes (16), with the register carried in from a first part
// at every offset a lane can start at.
TEST(Crc16, CarrylessFoldMatchesTheTablesAtEveryStrideAndLaneBoundary)
{
    if (!CarrylessCrcAvailable())
        GTEST_SKIP() << "this processor has no carry-less multiply";
    Bytes data = PatternBytes(70000, 31);
    for (size_t length = 0; length <= 600; length++) {
        EXPECT_EQ(FoldCrcCarryless(0, data.data(), length), ReferenceCrc(Bytes(data.begin(), data.begin() + length)))
            << length;
        for (size_t split = 0; split < 17 && split <= length; split += 5) {
            uint16_t first = FoldCrcByTables(0, data.data(), split);
            EXPECT_EQ(FoldCrcCarryless(first, data.data() + split, length - split),
                      FoldCrcByTables(0, data.data(), length))
                << length << " after " << split;
        }
    }
    EXPECT_EQ(FoldCrcCarryless(0xFFFF, data.data(), data.size()),
              FoldCrcByTables(0xFFFF, data.data(), data.size()));
    EXPECT_EQ(FoldCrc(0x1234, data.data() + 3, 8192), FoldCrcByTables(0x1234, data.data() + 3, 8192));
}
