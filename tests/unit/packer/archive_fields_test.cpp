// The fields the packer writes around the compressed data: the level-1
// header, the MS-DOS time stamp, the CRC-16 and the member-name rule.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "tools/lzhpack/member_crc.h"
#include "tools/lzhpack/member_header.h"
#include "tools/lzhpack/member_name.h"
#include "tools/lzhpack/msdos_time.h"

namespace {

TEST(MemberHeader, LaysOutEveryLevel1FieldLittleEndian)
{
    MemberHeaderFields fields;
    fields.methodCharacter = '5';
    fields.packedSize = 0x01020304;
    fields.unpackedSize = 0x0A0B0C0D;
    fields.timeStamp = 0x22D46000;
    fields.name = "readme.txt";
    fields.crc = 0xBEEF;
    uint8_t header[MaxLevel1HeaderBytes];
    size_t size = BuildMemberHeader(&fields, header, sizeof header);

    // Laid out by hand from the level-1 layout: H = 25 + name length.
    std::vector<uint8_t> expected = {35, 0, '-', 'l', 'h', '5', '-', 0x04, 0x03, 0x02, 0x01,
                                     0x0D, 0x0C, 0x0B, 0x0A, 0x00, 0x60, 0xD4, 0x22, 0x20, 0x01, 10};
    for (const char *c = "readme.txt"; *c != '\0'; c++)
        expected.push_back((uint8_t)*c);
    for (uint8_t b : {0xEF, 0xBE, 0x20, 0x00, 0x00})
        expected.push_back(b);
    unsigned sum = 0;
    for (size_t i = 2; i < expected.size(); i++)
        sum += expected[i];
    expected[1] = (uint8_t)sum;

    ASSERT_EQ(size, expected.size());
    EXPECT_EQ(std::vector<uint8_t>(header, header + size), expected);
}

TEST(MemberHeader, HoldsNamesUpTo230BytesAndRefusesLonger)
{
    uint8_t header[MaxLevel1HeaderBytes];
    MemberHeaderFields fields;
    memset(&fields, 0, sizeof fields);
    fields.methodCharacter = '5';
    std::string longest(230, 'n');
    fields.name = longest.c_str();
    ASSERT_EQ(BuildMemberHeader(&fields, header, sizeof header), 257u);
    EXPECT_EQ(header[0], 255);
    EXPECT_EQ(header[21], 230);

    std::string tooLong(231, 'n');
    fields.name = tooLong.c_str();
    EXPECT_EQ(BuildMemberHeader(&fields, header, sizeof header), 0u);
    fields.name = "a.txt";
    EXPECT_EQ(BuildMemberHeader(&fields, header, 20), 0u) << "a buffer too small is refused";
}

TEST(MsDosTime, PacksDateAndTimeFields)
{
    // 1997-06-20 12:00:00: (17 << 25) | (6 << 21) | (20 << 16) | (12 << 11).
    EXPECT_EQ(PackMsDosTime(1997, 6, 20, 12, 0, 0), 0x22D46000u);
    // 1980-01-01 00:00:00 is the epoch: day 1, month 1.
    EXPECT_EQ(PackMsDosTime(1980, 1, 1, 0, 0, 0), 0x00210000u);
    // Seconds are kept in units of two: 59 s becomes 29.
    EXPECT_EQ(PackMsDosTime(2024, 12, 31, 23, 59, 59), (44u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u);
}

TEST(MsDosTime, ClampsTimesOutsideItsRange)
{
    EXPECT_EQ(PackMsDosTime(1970, 1, 1, 0, 0, 0), 0x00210000u);
    EXPECT_EQ(PackMsDosTime(2200, 5, 5, 5, 5, 5), (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u);
    // A leap second counts as second 59.
    EXPECT_EQ(PackMsDosTime(2016, 12, 31, 23, 59, 60) & 0x1F, 29u);
}

TEST(MemberCrc, MatchesTheCrc16ArcCheckValue)
{
    const char *check = "123456789";
    EXPECT_EQ(MemberCrc16((const uint8_t *)check, 9), 0xBB3D);  // CRC-16/ARC check value
    EXPECT_EQ(MemberCrc16(NULL, 0), 0);
    const uint8_t one = 0x01;
    EXPECT_EQ(MemberCrc16(&one, 1), 0xC0C1);  // the table entry of byte 1
}

TEST(MemberName, AcceptsPlainFileNames)
{
    for (const char *name : {"kestdemo.exe", "a", "x y.dat", "COM10", "console.txt", "nul_file",
                             ".hidden", "caf\xe9.txt"})
        EXPECT_EQ(MemberNameProblem(name), nullptr) << name;
    std::string longest(230, 'a');
    EXPECT_EQ(MemberNameProblem(longest.c_str()), nullptr);
}

TEST(MemberName, RefusesWhatWindowsCannotCreateAsIs)
{
    std::string tooLong(231, 'a');
    for (const char *name : {"", ".", "..", "a/b", "sub\\file.txt", "c:file", "what?", "star*",
                             "pipe|", "quote\"", "less<", "tab\tname", "end.", "end ", "NUL", "con.txt",
                             "Com1", "lpt9.log", "aux.", tooLong.c_str()})
        EXPECT_NE(MemberNameProblem(name), nullptr) << "'" << name << "'";
}

}  // namespace
