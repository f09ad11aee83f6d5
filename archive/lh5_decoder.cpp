#include "archive/lh5_decoder.h"

#include <string.h>

#include "archive/archive_state.h"
#include "archive/lh5_bits.h"
#include "archive/lh5_tables.h"

enum { CopyStep = 16 };  // bytes a match copy moves at once

// Where a call decodes: a copy of WindowBuffer as the call starts (the
// dictionary), then the bytes the call produces, which are copied to
// WindowBuffer at its end. A match thus always copies from a fixed distance
// back, never wrapping round the window, and its last move may run up to
// CopyStep - 1 bytes past it, into bytes not yet produced or the slack.
static uint8_t WorkBuffer[2 * WindowSize + CopyStep];
static uint8_t *const BlockStart = WorkBuffer + WindowSize;

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
// decoding loop does the common single move itself, and its registers stay
// free of this function's loops.
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

        unsigned entry = CharTable[bits.window >> (64 - CharTableBits)];
        unsigned code = entry >> EntrySymbolShift;
        if (code < 256) {
            DropBits(&bits, entry & EntryLengthMask);
            *to++ = (uint8_t)code;
            // A literal found in the table takes at most CharTableBits of
            // the 56 or more bits a refill leaves, so the 44 that the next
            // code may need are still held: it goes without a refill.
            if (to == end || blockRemaining == 0)
                continue;
            blockRemaining--;
            entry = CharTable[bits.window >> (64 - CharTableBits)];
            code = entry >> EntrySymbolShift;
            if (code < 256) {
                DropBits(&bits, entry & EntryLengthMask);
                *to++ = (uint8_t)code;
                continue;
            }
        }
        if (code < NumCharCodes) {
            DropBits(&bits, entry & EntryLengthMask);
        } else {
            code = WalkTree(code, bits.window, 63 - CharTableBits, NumCharCodes);
            DropBits(&bits, CharLengths[code]);
            if (code < 256) {
                *to++ = (uint8_t)code;
                continue;
            }
        }

        // A match: the position code, then its extra bits, say how far
        // back it starts.
        uint32_t position = PositionTable[bits.window >> (64 - AuxTableBits)];
        if (position & PositionTreeFlag)
            position = WalkPositionTree(position, bits.window);
        unsigned codeLength = position & 0xFF;
        unsigned extraBits = (position >> 8) & 0xFF;
        uint64_t afterCode = bits.window << codeLength;
        // The extra bits are the top extraBits of afterCode; shifted in two
        // steps so that a code without extra bits adds 0.
        unsigned distanceBack = (position >> 16) + (unsigned)((afterCode >> 1) >> (63 - extraBits));
        bits.window = afterCode << extraBits;
        bits.held -= codeLength + extraBits;

        unsigned length = code - MatchLengthBias;
        if (length > (unsigned)(end - to)) {
            // The match runs past this call: the rest opens the next one.
            CopyRemaining = length;
            to = CopyPendingMatch(to, end, distanceBack);
            break;
        }
        if (distanceBack >= CopyStep && length <= CopyStep)
            memcpy(to, to - distanceBack, CopyStep);  // most matches: one move
        else
            CopyMatch(to, distanceBack, length);
        to += length;
    }
    Bits = bits;
    BlockRemaining = (uint16_t)blockRemaining;
    SyncArchiveCursor();
    memcpy(buffer, BlockStart, count);
}
