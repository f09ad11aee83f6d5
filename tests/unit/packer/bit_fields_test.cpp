// The packer's bit writer against a plain bit-by-bit one, and the
// position code of every distance against its definition.
#include <gtest/gtest.h>

#include <vector>

#include "tools/lzhpack/bit_writer.h"
#include "tools/lzhpack/lh5_token.h"

namespace {

// Appends count bits of value, most significant first, one at a time.
void PutBitsOneByOne(std::vector<uint8_t> *out, int *bitCount, uint64_t value, int count)
{
    for (int i = count - 1; i >= 0; i--) {
        if (*bitCount % 8 == 0)
            out->push_back(0);
        if ((value >> i) & 1)
            out->back() |= (uint8_t)(0x80 >> (*bitCount % 8));
        (*bitCount)++;
    }
}

TEST(BitWriter, WritesFieldsOfEveryWidthAsABitByBitWriterWould)
{
    // Widths 0 to 56, in an order that leaves every number of pending bits
    // before a wide field; values with stray high bits for PutBits (which
    // must drop them) and exact ones for PutField. The vector starts with
    // bytes of its own, which must stay.
    std::vector<uint8_t> written = {0xAB, 0xCD};
    std::vector<uint8_t> expected = {0xAB, 0xCD};
    int expectedBits = 16;
    BitWriter writer;
    StartBitWriter(&writer, &written);
    uint64_t seed = 0x9E3779B97F4A7C15ull;
    for (int round = 0; round < 3000; round++) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        int width = (int)(seed % 57);
        uint64_t field = width == 0 ? 0 : seed >> (64 - width);
        if (round % 2 == 0)
            PutBits(&writer, field | ~0ull << width, width);  // the bits above width are dropped
        else
            PutField(&writer, field, width);
        PutBitsOneByOne(&expected, &expectedBits, field, width);
    }
    FlushBits(&writer);
    EXPECT_EQ(written, expected);
}

TEST(BitWriter, FlushOfWholeBytesAddsNothing)
{
    std::vector<uint8_t> written;
    BitWriter writer;
    StartBitWriter(&writer, &written);
    PutBits(&writer, 0x1234, 16);
    FlushBits(&writer);
    EXPECT_EQ(written, (std::vector<uint8_t>{0x12, 0x34}));
}

TEST(PositionCode, IsTheBitLengthOfEveryDistance)
{
    // Code 0 for distance 0, code j for 2^(j-1) .. 2^j - 1.
    for (unsigned distance = 0; distance < DictionarySize; distance++) {
        int bits = 0;
        while ((distance >> bits) != 0)
            bits++;
        ASSERT_EQ(PositionCode(distance), bits) << "distance " << distance;
    }
    EXPECT_EQ(PositionCode(DictionarySize - 1), NumPosCodes - 1);
}

}  // namespace
