// Code lengths and canonical codes for the Huffman codes of an "-lh5-"
// block: the character/length code, the position code and the pre-tree.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum {
    MaxCodeBits = 16,     // the longest code the decoder's tables accept
    MaxAlphabetSize = 510 // the character/length alphabet, the largest one
};

// Computes code lengths for count symbols (count <= MaxAlphabetSize) from
// their frequencies: an optimal prefix code whose lengths are at most
// maxBits (1 to MaxCodeBits, and 2^maxBits must cover the used symbols).
// Symbols of frequency 0 get length 0. One used symbol gets length 1; the
// caller sends such an alphabet in the single-code form instead. Returns the
// number of used symbols.
int BuildCodeLengths(const uint32_t *frequencies, int count, int maxBits, uint8_t *lengths);

// Assigns canonical codes to lengths as the decoder expects them: shorter
// codes first, and within one length in increasing symbol order. codes[i]
// holds the lengths[i] low bits of symbol i's code, sent most significant
// bit first.
void AssignCanonicalCodes(const uint8_t *lengths, int count, uint16_t *codes);
