// The decoder's code tables and the reading of a block header (the block
// layout is in lh5_format.h). A code is decoded by a lookup of its first
// table-width bits; longer codes continue in a binary tree whose nodes are
// numbered upward from the size of the alphabet.
#pragma once

#include <stdint.h>

#include "archive/lh5_format.h"

enum {
    CharTableBits = 12,
    AuxTableBits = 8,
    CharTableSize = 1 << CharTableBits,
    AuxTableSize = 1 << AuxTableBits,
    TreeLinkCount = 2 * NumCharCodes - 1,  // 1019
    NoSpecialIndex = -1,

    // A table entry is (symbol << EntrySymbolShift) | the code's length in
    // bits, so that one lookup gives both. Where the codes are longer than
    // the table's width the entry holds instead the tree node their walk
    // starts from (node << EntrySymbolShift): nodes are numbered from the
    // alphabet's size up, so a "symbol" of that size or more is a tree.
    // The length sits in the low bits to be shifted by directly.
    EntrySymbolShift = 6,
    EntryLengthMask = (1 << EntrySymbolShift) - 1
};

// A CharTable entry of a match whose position code follows within the
// table's width (FoldedMatchFlag set) holds the whole match: the bits of
// both codes and of the position's extra bits together (EntryLengthMask,
// at most 12 + 12), how many of them are extra bits, the match length less
// MinMatchLength and how far back it starts before the extra bits are
// added. FoldPositionCodes makes them; the other entries are unchanged.
enum {
    FoldedExtraShift = 6,
    FoldedExtraMask = 0xF,
    FoldedLengthShift = 10,
    FoldedLengthMask = 0xFF,
    FoldedBaseShift = 18,
    FoldedBaseMask = 0x1FFF
};
static const uint32_t FoldedMatchFlag = 0x80000000u;

// A PositionTable entry: how far back the code's match starts before its
// extra bits are added (the distance + 1, << 16), the number of extra bits
// (<< 8) and the code's length; or, where the code continues in the tree,
// PositionTreeFlag | node.
static const uint32_t PositionTreeFlag = 0x80000000u;

extern uint16_t BlockRemaining;                 // codes left in the current block
extern uint8_t CharLengths[NumCharCodes];
extern uint32_t CharTable[CharTableSize];       // entries of the character/length code
extern uint8_t AuxLengths[NumPreCodes];         // pre-tree, then position code
extern uint32_t AuxTable[AuxTableSize];         // entries of the pre-tree, then position code
extern uint32_t PositionTable[AuxTableSize];    // AuxTable's position code with its distances
extern uint16_t TreeLeft[TreeLinkCount];
extern uint16_t TreeRight[TreeLinkCount];

// Reads a block header from Bits: the block count into BlockRemaining and
// the three code tables, showing "Bad table" for a set of lengths that is
// not one complete code.
void ReadBlockHeader(void);

// Builds table (2^tableBits entries) and the tree links for the code whose
// nchar lengths are given: canonical codes, shorter first and, within a
// length, in increasing symbol order. A lookup that finds no code (possible
// only when the code is not complete) gives symbol 0 with lengths[0] bits,
// and so does a tree walk that ends on a missing link. Shows "Bad table"
// when the lengths do not form exactly one complete code or lengthsSound
// is 0; such a table is still built as far as it can be without
// overlapping codes, so it never writes outside table or past the last tree
// link, and every walk from it ends within MaxCodeLength bits. Lengths
// above MaxCodeLength are set to 0. Returns 1 when the code was sound.
int MakeTable(unsigned nchar, uint8_t *lengths, unsigned tableBits, uint32_t *table,
              int lengthsSound);

// Reads the pre-tree's (nn = 19, 5-bit count, special index 3) or the
// position code's (nn = 14, 4-bit count, no special index) lengths into
// AuxLengths and builds AuxTable. Returns 1 when the code was sound.
int ReadAuxLengths(unsigned nn, unsigned countBits, int specialIndex);

// Reads the character/length code lengths with the pre-tree and builds
// CharTable. Returns 1 when the code was sound and not of one code alone.
int ReadCharLengths(void);

// The PositionTable entry of position code j (below NumPosCodes) whose code
// is codeLength bits long: code 0 stands for distance 0, code 1 for 1, and
// code j >= 2 for 2^(j-1) plus j - 1 extra bits; a match of distance d
// starts d + 1 bytes back.
static inline uint32_t PositionEntry(unsigned j, unsigned codeLength)
{
    unsigned extraBits = j > 1 ? j - 1 : 0;
    unsigned distance = j > 1 ? 1u << (j - 1) : j;
    return (uint32_t)((distance + 1) << 16 | extraBits << 8 | codeLength);
}

// Walks a code's tree from node, testing window bit firstBit first and then
// the bits below it, down to bit 48, the last of the 16-bit look-ahead.
// Returns the symbol reached (below nchar). Trees built by MakeTable end
// within those bits; a walk that did not would give symbol 0.
static inline unsigned WalkTree(unsigned node, uint64_t window, unsigned firstBit,
                                unsigned nchar)
{
    for (unsigned bit = firstBit; node >= nchar && bit >= 48; bit--)
        node = ((window >> bit) & 1) ? TreeRight[node] : TreeLeft[node];
    return node < nchar ? node : 0;
}
