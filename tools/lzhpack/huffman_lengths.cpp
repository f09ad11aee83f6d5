#include "tools/lzhpack/huffman_lengths.h"

#include <string.h>

#include <algorithm>

// One node of the code tree while it is built: leaves first (symbol order
// after sorting), then the inner nodes in the order they were made.
struct HuffmanNode {
    uint32_t weight;
    int parent;
};

// Sorts symbols (given in increasing order) stably by one byte of their
// frequency, from symbols into sorted.
static void SortByFrequencyByte(const int *symbols, int used, const uint32_t *frequencies, int shift,
                                int *sorted)
{
    int start[257];
    memset(start, 0, sizeof start);
    for (int i = 0; i < used; i++)
        start[((frequencies[symbols[i]] >> shift) & 0xFF) + 1]++;
    for (int b = 0; b < 256; b++)
        start[b + 1] += start[b];
    for (int i = 0; i < used; i++)
        sorted[start[(frequencies[symbols[i]] >> shift) & 0xFF]++] = symbols[i];
}

// Sorts the used symbols (given in increasing order) by increasing
// frequency, ties by symbol, so that the result depends only on the input.
// The frequencies of a block fit 16 bits (it holds at most 65,535 codes):
// two stable passes by byte do then; larger ones go through keys that are
// sorted.
static void SortByFrequency(int *symbols, int used, const uint32_t *frequencies)
{
    uint32_t largest = 0;
    for (int i = 0; i < used; i++)
        largest = frequencies[symbols[i]] > largest ? frequencies[symbols[i]] : largest;
    if (largest <= 0xFFFF) {
        int byLowByte[MaxAlphabetSize];
        SortByFrequencyByte(symbols, used, frequencies, 0, byLowByte);
        SortByFrequencyByte(byLowByte, used, frequencies, 8, symbols);
        return;
    }
    uint64_t keys[MaxAlphabetSize];
    for (int i = 0; i < used; i++)
        keys[i] = (uint64_t)frequencies[symbols[i]] << 16 | (uint64_t)symbols[i];
    std::sort(keys, keys + used);
    for (int i = 0; i < used; i++)
        symbols[i] = (int)(keys[i] & 0xFFFF);
}

// Builds the Huffman tree for the sorted leaves with the two-queue method
// and stores the depth of each leaf (in sorted order) in depths.
static void ComputeDepths(const int *symbols, int used, const uint32_t *frequencies, int *depths)
{
    HuffmanNode nodes[2 * MaxAlphabetSize];
    for (int i = 0; i < used; i++) {
        nodes[i].weight = frequencies[symbols[i]];
        nodes[i].parent = -1;
    }
    int nextLeaf = 0;
    int nextInner = used;
    int innerEnd = used;
    for (int made = 0; made < used - 1; made++) {
        int pick[2];
        for (int k = 0; k < 2; k++) {
            if (nextLeaf < used && (nextInner >= innerEnd || nodes[nextLeaf].weight <= nodes[nextInner].weight))
                pick[k] = nextLeaf++;
            else
                pick[k] = nextInner++;
        }
        nodes[innerEnd].weight = nodes[pick[0]].weight + nodes[pick[1]].weight;
        nodes[innerEnd].parent = -1;
        nodes[pick[0]].parent = innerEnd;
        nodes[pick[1]].parent = innerEnd;
        innerEnd++;
    }
    // Depth of each node, from the root (the last node) down.
    int nodeDepth[2 * MaxAlphabetSize];
    nodeDepth[innerEnd - 1] = 0;
    for (int i = innerEnd - 2; i >= 0; i--)
        nodeDepth[i] = nodeDepth[nodes[i].parent] + 1;
    for (int i = 0; i < used; i++)
        depths[i] = nodeDepth[i];
}

// Brings every depth down to maxBits while keeping the code complete:
// leaves deeper than maxBits move up to maxBits, and for each step of
// excess a leaf at a shallower level moves one level down, taking a sibling
// from the overflow with it. Lengths are then dealt out again, the shortest
// to the most frequent symbols (depths are in increasing frequency order).
static void LimitDepths(int *depths, int used, int maxBits)
{
    int countPerLength[64];
    memset(countPerLength, 0, sizeof countPerLength);
    int overflow = 0;
    for (int i = 0; i < used; i++) {
        if (depths[i] > maxBits) {
            overflow++;
            countPerLength[maxBits]++;
        } else {
            countPerLength[depths[i]]++;
        }
    }
    if (overflow == 0)
        return;
    // Kraft sum in units of 2^-maxBits; bring it back to exactly 2^maxBits.
    uint64_t kraft = 0;
    for (int length = 1; length <= maxBits; length++)
        kraft += (uint64_t)countPerLength[length] << (maxBits - length);
    const uint64_t full = (uint64_t)1 << maxBits;
    while (kraft > full) {
        // Move one leaf from the deepest level below maxBits one level down.
        int length = maxBits - 1;
        while (length > 0 && countPerLength[length] == 0)
            length--;
        if (length == 0)
            break;  // cannot happen while 2^maxBits >= used
        countPerLength[length]--;
        countPerLength[length + 1]++;
        kraft -= (uint64_t)1 << (maxBits - length - 1);
    }
    // A move from a shallow level may have overshot: lift leaves one level
    // up, deepest first, until the sum is exact again. The shortfall is a
    // multiple of the weight of the deepest used level, so this ends.
    while (kraft < full) {
        int length = maxBits;
        while (length > 1 && (countPerLength[length] == 0 ||
                              ((uint64_t)1 << (maxBits - length)) > full - kraft))
            length--;
        if (length <= 1)
            break;
        countPerLength[length]--;
        countPerLength[length - 1]++;
        kraft += (uint64_t)1 << (maxBits - length);
    }
    // Deal the lengths out: the most frequent symbols (at the end) first.
    int index = used - 1;
    for (int length = 1; length <= maxBits; length++) {
        for (int n = countPerLength[length]; n > 0; n--)
            depths[index--] = length;
    }
}

int BuildCodeLengths(const uint32_t *frequencies, int count, int maxBits, uint8_t *lengths)
{
    int symbols[MaxAlphabetSize];
    int used = 0;
    for (int i = 0; i < count; i++) {
        lengths[i] = 0;
        if (frequencies[i] != 0)
            symbols[used++] = i;
    }
    if (used == 0)
        return 0;
    if (used == 1) {
        lengths[symbols[0]] = 1;
        return 1;
    }
    SortByFrequency(symbols, used, frequencies);
    int depths[MaxAlphabetSize];
    ComputeDepths(symbols, used, frequencies, depths);
    LimitDepths(depths, used, maxBits);
    for (int i = 0; i < used; i++)
        lengths[symbols[i]] = (uint8_t)depths[i];
    return used;
}

void AssignCanonicalCodes(const uint8_t *lengths, int count, uint16_t *codes)
{
    int countPerLength[MaxCodeBits + 1];
    memset(countPerLength, 0, sizeof countPerLength);
    for (int i = 0; i < count; i++)
        countPerLength[lengths[i]]++;
    countPerLength[0] = 0;
    uint32_t nextCode[MaxCodeBits + 2];
    uint32_t code = 0;
    for (int length = 1; length <= MaxCodeBits; length++) {
        code = (code + (uint32_t)countPerLength[length - 1]) << 1;
        nextCode[length] = code;
    }
    for (int i = 0; i < count; i++) {
        int length = lengths[i];
        codes[i] = length != 0 ? (uint16_t)nextCode[length]++ : 0;
    }
}
