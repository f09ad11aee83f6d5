#include "archive/lh5_tables.h"

#include <string.h>

#include "archive/archive_state.h"
#include "archive/lh5_bits.h"
#include "shell/support.h"

uint16_t BlockRemaining;
uint8_t CharLengths[NumCharCodes];
uint16_t CharTable[CharTableSize];
uint8_t AuxLengths[NumPreCodes];
uint16_t AuxTable[AuxTableSize];
uint16_t TreeLeft[TreeLinkCount];
uint16_t TreeRight[TreeLinkCount];
uint16_t CharFast[CharTableSize];
uint16_t AuxFast[AuxTableSize];

// A set of code lengths that is not one complete code: shown, counted as a
// fault of the member, and decoding goes on.
static void ShowBadTable(void)
{
    MessageBoxFormat("Bad table");
    ArchiveFaults++;
}

void MakeTable(unsigned nchar, uint8_t *lengths, unsigned tableBits, uint16_t *table,
               int lengthsSound)
{
    int sound = lengthsSound;
    uint32_t count[MaxCodeLength + 1] = {0};
    for (unsigned ch = 0; ch < nchar; ch++) {
        if (lengths[ch] > MaxCodeLength) {
            lengths[ch] = 0;
            sound = 0;
        }
        count[lengths[ch]]++;
    }

    // First code of each length, scaled to 16 bits. Kept in 32 bits so that
    // an over-full set cannot wrap round to look complete.
    const uint32_t codeSpace = 1u << MaxCodeLength;
    uint32_t start[MaxCodeLength + 2];
    start[1] = 0;
    for (unsigned len = 1; len <= MaxCodeLength; len++)
        start[len + 1] = start[len] + (count[len] << (MaxCodeLength - len));
    if (start[MaxCodeLength + 1] != codeSpace)
        sound = 0;

    const unsigned jut = MaxCodeLength - tableBits;
    const uint32_t firstTreeBit = 1u << (MaxCodeLength - 1 - tableBits);
    memset(table, 0, ((size_t)1 << tableBits) * sizeof table[0]);
    unsigned avail = nchar;
    for (unsigned ch = 0; ch < nchar; ch++) {
        unsigned len = lengths[ch];
        if (len == 0)
            continue;
        uint32_t code = start[len];
        uint32_t next = code + (1u << (MaxCodeLength - len));
        if (next > codeSpace)
            continue;  // over-full: no room is left for this code
        start[len] = next;
        if (len <= tableBits) {
            for (uint32_t i = code >> jut; i < next >> jut; i++)
                table[i] = (uint16_t)ch;
            continue;
        }
        // A longer code: its first tableBits bits pick a slot, the rest walk
        // a tree, creating the nodes it lacks.
        uint16_t *slot = &table[code >> jut];
        unsigned steps = len - tableBits;
        for (; steps > 0; steps--) {
            if (*slot == 0) {
                if (avail >= TreeLinkCount)
                    break;
                TreeLeft[avail] = 0;
                TreeRight[avail] = 0;
                *slot = (uint16_t)avail++;
            }
            slot = (code & firstTreeBit) ? &TreeRight[*slot] : &TreeLeft[*slot];
            code <<= 1;
        }
        if (steps > 0) {
            sound = 0;  // out of tree nodes: the code is dropped
            continue;
        }
        *slot = (uint16_t)ch;
    }
    if (!sound)
        ShowBadTable();
}

// Joins a table with its lengths into one lookup per code.
static void MakeFastTable(unsigned nchar, const uint8_t *lengths, const uint16_t *table,
                          unsigned tableSize, unsigned symbolBits, uint16_t *fast)
{
    for (unsigned i = 0; i < tableSize; i++) {
        unsigned value = table[i];
        fast[i] = (uint16_t)(value < nchar ? (lengths[value] << symbolBits) | value
                                           : TreeEntry | value);
    }
}

// The one-code form of a count of 0: every lookup yields code, and no bits.
static void FillSingleCode(unsigned nchar, unsigned code, uint8_t *lengths, uint16_t *table,
                           uint16_t *fast, unsigned tableSize)
{
    memset(lengths, 0, nchar);
    if (code >= nchar) {
        ShowBadTable();
        code = 0;
    }
    for (unsigned i = 0; i < tableSize; i++) {
        table[i] = (uint16_t)code;
        fast[i] = (uint16_t)code;
    }
}

void ReadAuxLengths(unsigned nn, unsigned countBits, int specialIndex)
{
    unsigned n = GetBits(countBits);
    if (n == 0) {
        FillSingleCode(nn, GetBits(countBits), AuxLengths, AuxTable, AuxFast, AuxTableSize);
        return;
    }
    // Lengths past nn are read, to stay in step with the stream, and dropped.
    unsigned i = 0;
    while (i < n) {
        RefillBits(&Bits);
        unsigned length = PeekBits(&Bits, 3);
        if (length == 7) {
            // A length of 7 or more continues in unary: one more per set
            // bit, up to the end of the 16-bit look-ahead.
            for (unsigned bit = 60; bit >= 48 && ((Bits.window >> bit) & 1); bit--)
                length++;
        }
        DropBits(&Bits, length < 7 ? 3 : length - 3);
        if (i < nn)
            AuxLengths[i] = (uint8_t)length;
        i++;
        if ((int)i == specialIndex) {
            for (unsigned zeros = GetBits(2); zeros > 0; zeros--, i++) {
                if (i < nn)
                    AuxLengths[i] = 0;
            }
        }
    }
    int sound = i <= nn;
    for (; i < nn; i++)
        AuxLengths[i] = 0;
    MakeTable(nn, AuxLengths, AuxTableBits, AuxTable, sound);
    MakeFastTable(nn, AuxLengths, AuxTable, AuxTableSize, AuxSymbolBits, AuxFast);
}

// Decodes one pre-tree code: what follows in the character length list.
static unsigned DecodePreCode(void)
{
    RefillBits(&Bits);
    unsigned entry = AuxFast[PeekBits(&Bits, AuxTableBits)];
    if (entry < TreeEntry) {
        DropBits(&Bits, entry >> AuxSymbolBits);
        return entry & ((1u << AuxSymbolBits) - 1);
    }
    unsigned code = WalkTree(entry & ~TreeEntry, Bits.window, 63 - AuxTableBits, NumPreCodes);
    DropBits(&Bits, AuxLengths[code]);
    return code;
}

void ReadCharLengths(void)
{
    unsigned n = GetBits(CharCountBits);
    if (n == 0) {
        FillSingleCode(NumCharCodes, GetBits(CharCountBits), CharLengths, CharTable, CharFast,
                       CharTableSize);
        return;
    }
    // Pre-tree codes 0, 1 and 2 stand for runs of zero lengths (1, 3-18 and
    // 20-531), codes 3 to 18 for the lengths 1 to 16. Lengths past the
    // alphabet are read and dropped.
    unsigned i = 0;
    while (i < n) {
        unsigned code = DecodePreCode();
        unsigned zeros;
        if (code == 0) {
            zeros = 1;
        } else if (code == 1) {
            zeros = GetBits(4) + 3;
        } else if (code == 2) {
            zeros = GetBits(CharCountBits) + 20;
        } else {
            if (i < NumCharCodes)
                CharLengths[i] = (uint8_t)(code - 2);
            i++;
            continue;
        }
        for (; zeros > 0; zeros--, i++) {
            if (i < NumCharCodes)
                CharLengths[i] = 0;
        }
    }
    int sound = i <= NumCharCodes;
    for (; i < NumCharCodes; i++)
        CharLengths[i] = 0;
    MakeTable(NumCharCodes, CharLengths, CharTableBits, CharTable, sound);
    MakeFastTable(NumCharCodes, CharLengths, CharTable, CharTableSize, CharSymbolBits, CharFast);
}

void ReadBlockHeader(void)
{
    BlockRemaining = GetBits(BlockCountBits);
    ReadAuxLengths(NumPreCodes, PreCountBits, PreTreeSpecialIndex);
    ReadCharLengths();
    ReadAuxLengths(NumPosCodes, PosCountBits, NoSpecialIndex);
}
