#include "archive/lh5_decoder.h"

#include <string.h>

#include "archive/archive_state.h"
#include "archive/lh5_bits.h"
#include "archive/lh5_tables.h"

static uint32_t CopyRemaining;  // match bytes still to copy into the next call
static uint16_t CopyFrom;       // WindowBuffer position of the next match byte

void DecodeStart(void)
{
    InitBits();
    BlockRemaining = 0;
    CopyRemaining = 0;
    SyncArchiveCursor();
}

// Copies as much of the pending match as fits before count, from CopyFrom
// to position r, byte by byte in increasing order as far as the result
// goes: a match that overlaps its own output repeats its last bytes, and
// positions wrap at the window's end. Returns the new write position.
static unsigned CopyMatch(uint8_t *buffer, unsigned r, unsigned count)
{
    unsigned n = CopyRemaining < count - r ? CopyRemaining : count - r;
    unsigned from = CopyFrom;
    uint8_t *to = buffer + r;
    CopyRemaining -= n;
    CopyFrom = (uint16_t)((from + n) & WindowMask);

    if (from + n > WindowSize) {
        for (unsigned i = 0; i < n; i++) {
            to[i] = buffer[from];
            from = (from + 1) & WindowMask;
        }
    } else if (from >= r || from + n <= r) {
        // The source lies after the output (bytes of the previous call) or
        // wholly before it: nothing is read after being written.
        memmove(to, buffer + from, n);
    } else {
        const uint8_t *source = buffer + from;
        unsigned distance = r - from;
        unsigned i = 0;
        if (distance == 1) {
            memset(to, source[0], n);
            i = n;
        } else if (distance >= 8) {
            // Each 8-byte move reads only bytes already final.
            for (; n - i >= 8; i += 8)
                memcpy(to + i, source + i, 8);
        }
        for (; i < n; i++)
            to[i] = source[i];
    }
    return r + n;
}

// Copies a match of length bytes when source and output do not overlap
// (the source lies wholly before the output, or after it among the bytes of
// the previous call), so that the order of the copy does not matter. Short matches, the most common,
// take two fixed-size moves that may overlap each other.
static inline void CopyDisjoint(uint8_t *to, const uint8_t *source, unsigned length)
{
    if (length >= 16) {
        unsigned i = 0;
        for (; length - i > 16; i += 16)
            memcpy(to + i, source + i, 16);
        memcpy(to + length - 16, source + length - 16, 16);
    } else if (length >= 8) {
        uint64_t head, tail;
        memcpy(&head, source, 8);
        memcpy(&tail, source + length - 8, 8);
        memcpy(to, &head, 8);
        memcpy(to + length - 8, &tail, 8);
    } else if (length >= 4) {
        uint32_t head, tail;
        memcpy(&head, source, 4);
        memcpy(&tail, source + length - 4, 4);
        memcpy(to, &head, 4);
        memcpy(to + length - 4, &tail, 4);
    } else {
        for (unsigned i = 0; i < length; i++)
            to[i] = source[i];
    }
}

void DecodeBytes(uint16_t count, uint8_t *buffer)
{
    unsigned r = 0;
    if (CopyRemaining > 0)
        r = CopyMatch(buffer, 0, count);

    // The reader and the block count live in locals for the loop (stores
    // into buffer could otherwise alias them); one refill covers a whole
    // literal or match (at most 16 + 16 + 12 bits).
    BitReader bits = Bits;
    unsigned blockRemaining = BlockRemaining;
    while (r < count) {
        RefillBits(&bits);
        if (blockRemaining == 0) {
            Bits = bits;
            ReadBlockHeader();
            bits = Bits;
            blockRemaining = BlockRemaining;
            RefillBits(&bits);
        }
        blockRemaining = (blockRemaining - 1) & 0xFFFF;  // 0 stands for 65,536 codes

        unsigned code;
        unsigned entry = CharFast[bits.window >> (64 - CharTableBits)];
        if (entry < TreeEntry) {
            code = entry & ((1u << CharSymbolBits) - 1);
            DropBits(&bits, entry >> CharSymbolBits);
        } else {
            code = WalkTree(entry & ~TreeEntry, bits.window, 63 - CharTableBits, NumCharCodes);
            DropBits(&bits, CharLengths[code]);
        }
        if (code < 256) {
            buffer[r++] = (uint8_t)code;
            continue;
        }

        // A match: its position code j gives distance 0 for j = 0, else
        // 2^(j-1) plus j - 1 further bits.
        unsigned j;
        entry = AuxFast[bits.window >> (64 - AuxTableBits)];
        if (entry < TreeEntry) {
            j = entry & ((1u << AuxSymbolBits) - 1);
            DropBits(&bits, entry >> AuxSymbolBits);
        } else {
            j = WalkTree(entry & ~TreeEntry, bits.window, 63 - AuxTableBits, NumPosCodes);
            DropBits(&bits, AuxLengths[j]);
        }
        unsigned distance = j;
        if (j > 1) {
            distance = (1u << (j - 1)) + PeekBits(&bits, j - 1);
            DropBits(&bits, j - 1);
        }
        unsigned from = (r - distance - 1) & WindowMask;
        unsigned length = code - MatchLengthBias;
        if (length <= count - r && from + length <= WindowSize &&
            (from + length <= r || from >= r + length)) {
            CopyDisjoint(buffer + r, buffer + from, length);
            r += length;
            continue;
        }
        CopyFrom = (uint16_t)from;
        CopyRemaining = length;
        r = CopyMatch(buffer, r, count);
    }
    Bits = bits;
    BlockRemaining = (uint16_t)blockRemaining;
    SyncArchiveCursor();
}
