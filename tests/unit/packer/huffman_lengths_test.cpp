// Code lengths and canonical codes of the packer's Huffman codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tools/lzhpack/huffman_lengths.h"

namespace {

// Kraft sum in units of 2^-16: exactly 65536 for a complete code, which is
// what the decoder's table builder demands.
uint32_t KraftSum(const uint8_t *lengths, int count)
{
    uint32_t sum = 0;
    for (int i = 0; i < count; i++)
        if (lengths[i] != 0)
            sum += 1u << (16 - lengths[i]);
    return sum;
}

TEST(HuffmanLengths, GivesTheOptimalLengthsOfASmallCase)
{
    // Frequencies 1, 1, 2, 4: the textbook tree has depths 3, 3, 2, 1.
    const uint32_t frequencies[4] = {1, 1, 2, 4};
    uint8_t lengths[4];
    EXPECT_EQ(BuildCodeLengths(frequencies, 4, 16, lengths), 4);
    EXPECT_EQ(std::vector<uint8_t>(lengths, lengths + 4), (std::vector<uint8_t>{3, 3, 2, 1}));
}

TEST(HuffmanLengths, LimitsSkewedCodesTo16BitsAndKeepsThemComplete)
{
    // Fibonacci frequencies make a Huffman tree as deep as there are
    // symbols; 30 of them would need 29 bits unlimited.
    for (int limit : {16, 12, 7}) {
        uint32_t frequencies[30];
        uint32_t a = 1, b = 1;
        for (int i = 0; i < 30; i++) {
            frequencies[i] = a;
            uint32_t next = a + b;
            a = b;
            b = next;
        }
        uint8_t lengths[30];
        ASSERT_EQ(BuildCodeLengths(frequencies, 30, limit, lengths), 30);
        for (int i = 0; i < 30; i++) {
            EXPECT_GE(lengths[i], 1);
            EXPECT_LE(lengths[i], limit);
        }
        EXPECT_EQ(KraftSum(lengths, 30), 65536u) << "limit " << limit;
        // More frequent symbols never get longer codes.
        for (int i = 1; i < 30; i++)
            EXPECT_LE(lengths[i], lengths[i - 1]);
    }
}

TEST(HuffmanLengths, LimitsManyRareSymbolsBesideOneCommon)
{
    // The character alphabet's worst shape: one huge count and 509 ones.
    std::vector<uint32_t> frequencies(510, 1);
    frequencies[7] = 4000000000u;
    uint8_t lengths[510];
    ASSERT_EQ(BuildCodeLengths(frequencies.data(), 510, 16, lengths), 510);
    for (int i = 0; i < 510; i++)
        EXPECT_LE(lengths[i], 16);
    EXPECT_EQ(KraftSum(lengths, 510), 65536u);
}

// The cost of an optimal prefix code (sum of frequency times length), the
// textbook way: merge the two lightest weights until one is left, adding
// each merged weight. Quadratic, and independent of the packer's code.
uint64_t OptimalCost(std::vector<uint64_t> weights)
{
    uint64_t cost = 0;
    while (weights.size() > 1) {
        std::sort(weights.begin(), weights.end());
        uint64_t merged = weights[0] + weights[1];
        cost += merged;
        weights.erase(weights.begin(), weights.begin() + 2);
        weights.push_back(merged);
    }
    return cost;
}

TEST(HuffmanLengths, GivesOptimalCodesForSmallAndLargeFrequencies)
{
    // Frequencies below 65,536 (a block's own) and above it take different
    // sorting roads; both must give an optimal code, ties included. The
    // spread keeps every length within 16 bits, so no limit applies.
    uint32_t seed = 12345;
    for (uint32_t scale : {1u, 1000u, 100000u}) {
        for (int round = 0; round < 20; round++) {
            uint32_t frequencies[300];
            std::vector<uint64_t> weights;
            for (int i = 0; i < 300; i++) {
                seed = seed * 1103515245u + 12345u;
                uint32_t value = (seed >> 16) % 8;  // many ties, some zeros
                frequencies[i] = value == 0 ? 0 : (value + (seed >> 28)) * scale;
                if (frequencies[i] != 0)
                    weights.push_back(frequencies[i]);
            }
            uint8_t lengths[300];
            BuildCodeLengths(frequencies, 300, 16, lengths);
            uint64_t cost = 0;
            for (int i = 0; i < 300; i++)
                cost += (uint64_t)frequencies[i] * lengths[i];
            EXPECT_EQ(cost, OptimalCost(weights)) << "scale " << scale << ", round " << round;
            EXPECT_EQ(KraftSum(lengths, 300), 65536u);
        }
    }
}

TEST(HuffmanLengths, LeavesUnusedSymbolsOutAndMarksASingleOne)
{
    const uint32_t none[5] = {0, 0, 0, 0, 0};
    const uint32_t one[5] = {0, 0, 9, 0, 0};
    uint8_t lengths[5];
    EXPECT_EQ(BuildCodeLengths(none, 5, 16, lengths), 0);
    EXPECT_EQ(std::vector<uint8_t>(lengths, lengths + 5), (std::vector<uint8_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(BuildCodeLengths(one, 5, 16, lengths), 1);
    EXPECT_EQ(std::vector<uint8_t>(lengths, lengths + 5), (std::vector<uint8_t>{0, 0, 1, 0, 0}));
}

TEST(CanonicalCodes, AssignsShorterCodesFirstThenBySymbol)
{
    // Lengths 2, 1, 3, 3, 0: symbol 1 gets "0", symbol 0 "10", symbols 2
    // and 3 get "110" and "111" (worked out by hand).
    const uint8_t lengths[5] = {2, 1, 3, 3, 0};
    uint16_t codes[5];
    AssignCanonicalCodes(lengths, 5, codes);
    EXPECT_EQ(codes[0], 0x2);
    EXPECT_EQ(codes[1], 0x0);
    EXPECT_EQ(codes[2], 0x6);
    EXPECT_EQ(codes[3], 0x7);
}

}  // namespace
