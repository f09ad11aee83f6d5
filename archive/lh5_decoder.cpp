#include "archive/lh5_decoder.h"

#include <string.h>

#include "archive/archive_state.h"
#include "archive/lh5_bits.h"
#include "archive/lh5_tables.h"

enum {
    CopyStep = 16,  // bytes a match copy moves at once
    LiteralEntriesEnd = 256 << EntrySymbolShift
};

// Where a call decodes: a copy of WindowBuffer as the call starts (the
// dictionary), then the bytes the call produces, which are copied to
// WindowBuffer at its end. A match thus always copies from a fixed distance
// back, never wrapping round the window, and its last move may run up to
// CopyStep - 1 bytes past it, into bytes not yet produced or the slack.
static uint8_t WorkBuffer[2 * WindowSize + CopyStep];
static uint8_t *const BlockStart = WorkBuffer + WindowSize;

// Byte i at position i: a literal is copied from here as a match would be,
// with CopyStep - 1 bytes after it that the next step overwrites.
static constexpr struct LiteralBytes {
    uint8_t bytes[256 + CopyStep];
    constexpr LiteralBytes() : bytes()
    {
        for (unsigned i = 0; i < sizeof bytes; i++)
            bytes[i] = (uint8_t)i;
    }
} LiteralTable;
static const uint8_t *const LiteralSource = LiteralTable.bytes;

static uint32_t CopyRemaining;  // match bytes still to copy into the next call
static uint16_t CopyFrom;       // WindowBuffer position of the next match byte

void DecodeStart(void)
{
    InitBits();
    BlockRemaining = 0;
    CopyRemaining = 0;
    SyncArchiveCursor();
}

// Copies a match of length bytes to `to` from distanceBack bytes before it
// (1 to WindowSize), as a byte-by-byte copy in increasing order would: a
// match that overlaps its own output repeats its last distanceBack bytes.
// May write up to CopyStep - 1 bytes past the match. Kept out of line: the
// decoding loop does the common single move itself (PlaceBytes), and its
// registers stay free of this function's loops.
__attribute__((noinline)) static void CopyMatch(uint8_t *to, unsigned distanceBack,
                                                unsigned length)
{
    const uint8_t *from = to - distanceBack;
    if (distanceBack >= CopyStep) {
        // Each move reads only bytes that are final before it writes.
        for (unsigned i = 0; i < length; i += CopyStep)
            memcpy(to + i, from + i, CopyStep);
    } else if (distanceBack == 1) {
        memset(to, from[0], length);
    } else if (distanceBack >= 8) {
        for (unsigned i = 0; i < length; i += 8)
            memcpy(to + i, from + i, 8);
    } else {
        for (unsigned i = 0; i < length; i++)
            to[i] = from[i];
    }
}

// Copies as much of the pending match (CopyRemaining bytes, distanceBack
// bytes before `to`) as fits before end, and notes where its rest starts in
// WindowBuffer for the next call. Returns the new write position.
static uint8_t *CopyPendingMatch(uint8_t *to, uint8_t *end, unsigned distanceBack)
{
    unsigned room = (unsigned)(end - to);
    unsigned n = CopyRemaining < room ? CopyRemaining : room;
    CopyMatch(to, distanceBack, n);
    CopyRemaining -= n;
    to += n;
    CopyFrom = (uint16_t)(((unsigned)(to - BlockStart) - distanceBack) & WindowMask);
    return to;
}

// The position code that continues in its tree: its symbol and length
// joined as the table joins them.
static uint32_t WalkPositionTree(uint32_t entry, uint64_t window)
{
    unsigned j = WalkTree(entry & ~PositionTreeFlag, window, 63 - AuxTableBits, NumPosCodes);
    return PositionEntry(j, AuxLengths[j]);
}

// Copies length bytes to *at from `from`, distanceBack bytes before it
// for a match (isMatch all ones) or LiteralSource for a literal (isMatch
// 0), and steps *at past them; one move does a literal and most matches.
// A match that runs past end is copied up to it and its rest left pending
// for the next call: returns 0 then, else 1.
static inline int PlaceBytes(uint8_t **at, uint8_t *end, const uint8_t *from, unsigned distanceBack,
                             unsigned length, uint32_t isMatch)
{
    uint8_t *to = *at;
    if (length > (unsigned)(end - to)) {
        CopyRemaining = length;
        *at = CopyPendingMatch(to, end, distanceBack);
        return 0;
    }
    if ((isMatch & ((distanceBack < CopyStep) | (length > CopyStep))) == 0)
        memcpy(to, from, CopyStep);
    else
        CopyMatch(to, distanceBack, length);
    *at = to + length;
    return 1;
}

// A literal's entry, or a match's whose position code came with it.
static inline int IsQuickEntry(uint32_t entry)
{
    return entry < LiteralEntriesEnd || (entry & FoldedMatchFlag);
}

// Decodes a quick entry at *at: a literal, or a folded match with its extra
// bits, on one path without a branch on which (the data decides, so it
// could not be foreseen): a literal is a match of one byte from
// LiteralSource, without extra bits. Returns PlaceBytes's answer.
static inline int TakeQuickEntry(uint32_t entry, BitReader *bits, uint8_t **at, uint8_t *end)
{
    uint32_t isMatch = 0u - (uint32_t)((entry & FoldedMatchFlag) != 0);
    unsigned extraBits = (entry >> FoldedExtraShift) & FoldedExtraMask & isMatch;
    unsigned codeBits = entry & EntryLengthMask;  // the extra bits included
    unsigned extra = (unsigned)((bits->window >> 1) >> (63 - codeBits)) & ((1u << extraBits) - 1);
    unsigned distanceBack = ((entry >> FoldedBaseShift) & FoldedBaseMask) + extra;
    DropBits(bits, codeBits);
    unsigned length =
        1 + ((((entry >> FoldedLengthShift) & FoldedLengthMask) + MinMatchLength - 1) & isMatch);
    const uint8_t *matchFrom = *at - distanceBack;
    const uint8_t *literalFrom = LiteralSource + ((entry >> EntrySymbolShift) & 0xFF);
    // A choice between two values: compilers make it a conditional move,
    // which is faster here than selecting through masks.
    const uint8_t *from = isMatch != 0 ? matchFrom : literalFrom;
    return PlaceBytes(at, end, from, distanceBack, length, isMatch);
}

// Decodes any other entry at *at, just after a refill: a match whose
// position code is read from PositionTable, or a code that continues in
// its tree. Returns PlaceBytes's answer.
static int TakeOtherEntry(uint32_t entry, BitReader *bits, uint8_t **at, uint8_t *end)
{
    unsigned code = entry >> EntrySymbolShift;
    if (code < NumCharCodes) {
        DropBits(bits, entry & EntryLengthMask);
    } else {
        code = WalkTree(code, bits->window, 63 - CharTableBits, NumCharCodes);
        DropBits(bits, CharLengths[code]);
        if (code < 256) {
            *(*at)++ = (uint8_t)code;
            return 1;
        }
    }
    uint32_t position = PositionTable[bits->window >> (64 - AuxTableBits)];
    if (position & PositionTreeFlag)
        position = WalkPositionTree(position, bits->window);
    unsigned codeLength = position & 0xFF;
    unsigned extraBits = (position >> 8) & 0xFF;
    uint64_t afterCode = bits->window << codeLength;
    // The extra bits are the top extraBits of afterCode; shifted in two
    // steps so that a code without extra bits adds 0.
    unsigned distanceBack = (position >> 16) + (unsigned)((afterCode >> 1) >> (63 - extraBits));
    bits->window = afterCode << extraBits;
    bits->held -= codeLength + extraBits;
    return PlaceBytes(at, end, *at - distanceBack, distanceBack, code - MatchLengthBias, ~0u);
}

void DecodeBytes(uint16_t count, uint8_t *buffer)
{
    memcpy(WorkBuffer, buffer, WindowSize);
    uint8_t *to = BlockStart;
    uint8_t *const end = BlockStart + count;
    if (CopyRemaining > 0)
        to = CopyPendingMatch(to, end, WindowSize - CopyFrom);

    // The reader and the block count live in locals for the loop (stores
    // through `to` could otherwise alias them); one refill covers a whole
    // literal or match (at most 16 + 16 + 12 bits).
    BitReader bits = Bits;
    unsigned blockRemaining = BlockRemaining;
    while (to < end) {
        if (blockRemaining == 0) {
            Bits = bits;
            ReadBlockHeader();
            bits = Bits;
            blockRemaining = BlockRemaining != 0 ? BlockRemaining : 65536;  // 0 stands for 65,536
        }
        blockRemaining--;
        RefillBits(&bits);

        uint32_t entry = CharTable[bits.window >> (64 - CharTableBits)];
        if (!IsQuickEntry(entry)) {
            if (!TakeOtherEntry(entry, &bits, &to, end))
                break;
            continue;
        }
        if (!TakeQuickEntry(entry, &bits, &to, end))
            break;
        // A quick entry takes at most 24 of the 56 or more bits a refill
        // leaves, so a second one needs no refill.
        if (to == end || blockRemaining == 0)
            continue;
        entry = CharTable[bits.window >> (64 - CharTableBits)];
        if (!IsQuickEntry(entry))
            continue;  // taken after the next refill
        blockRemaining--;
        if (!TakeQuickEntry(entry, &bits, &to, end))
            break;
    }
    Bits = bits;
    BlockRemaining = (uint16_t)blockRemaining;
    SyncArchiveCursor();
    memcpy(buffer, BlockStart, count);
}
