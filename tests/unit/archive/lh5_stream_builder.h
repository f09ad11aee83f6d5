// Writes -lh5- streams bit by bit for the decoder tests: block headers with
// chosen code lengths, literals and matches coded with canonical Huffman
// codes (shorter codes first, then by symbol), and raw bits for malformed
// streams. The codes are assigned here by counting, independently of the
// decoder's table building.
#pragma once

#include <stdint.h>

#include <vector>

#include "tests/unit/archive/archive_builder.h"

struct StreamBitWriter {
    Bytes bytes;
    uint64_t bitCount = 0;
};

// Appends the low n bits of value, most significant first.
void PutBits(StreamBitWriter &writer, uint32_t value, unsigned n);

struct CodeBook {
    std::vector<uint8_t> lengths;   // 0 = not in the code
    std::vector<uint32_t> codes;
    int singleCode = -1;            // >= 0: the one-code form, no bits per code
};

CodeBook MakeCodeBook(const std::vector<uint8_t> &lengths);

// Lengths of a complete code over the given symbols (at least two):
// lengths m - 1 and m with m = ceil(log2 count), sized to the largest
// symbol + 1.
std::vector<uint8_t> CompleteLengths(const std::vector<unsigned> &symbols);

struct BlockHeaderPlan {
    uint16_t codeCount = 0;               // the 16-bit field as stored
    std::vector<uint8_t> charLengths;     // empty: one-code form with fixedChar
    unsigned fixedChar = 0;
    std::vector<uint8_t> positionLengths; // empty: one-code form with fixedPosition
    unsigned fixedPosition = 0;
};

struct Lh5Stream {
    StreamBitWriter bits;
    CodeBook chars;
    CodeBook positions;
};

// Writes a block header. The pre-tree is a complete code of 13 lengths of 4
// and 6 of 5; each character length is one pre-tree code (0 for a zero
// length, length + 2 otherwise).
void PutBlockHeader(Lh5Stream &stream, const BlockHeaderPlan &plan);

// Writes the pre-tree or position lengths field: the count, then each
// length in 3 bits or, from 7 up, as 7 followed by ones and a zero; after
// the entry at specialIndex (when >= 0) a 2-bit count of zero lengths 0.
void PutAuxLengths(StreamBitWriter &writer, const std::vector<uint8_t> &lengths, unsigned countBits,
                   int specialIndex);

void PutLiteral(Lh5Stream &stream, uint8_t byte);

// A match of length 3 to 256 copying from distance + 1 bytes back.
void PutMatch(Lh5Stream &stream, unsigned length, unsigned distance);

// The bytes written, the last one filled up with zero bits.
Bytes StreamBytes(const StreamBitWriter &writer);

// Applies literals and matches to out as the format defines them: a match
// of distance d copies byte by byte from d + 1 positions back.
void ModelLiteral(Bytes &out, uint8_t byte);
void ModelMatch(Bytes &out, unsigned length, unsigned distance);
