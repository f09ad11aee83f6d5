// The table-driven CRC-16 against the standard check value and against a
// bit-by-bit reference on every length up to a few slicing groups.
#include <gtest/gtest.h>

#include "archive/crc16.h"
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
