#include "archive/lh5_tables.h"

#include <string.h>

#include "archive/archive_state.h"
#include "archive/lh5_bits.h"
#include "support/support.h"

uint16_t BlockRemaining;
uint8_t CharLengths[NumCharCodes];
uint16_t CharTable[CharTableSize];
uint8_t AuxLengths[NumPreCodes];
uint16_t AuxTable[AuxTableSize];
uint32_t PositionTable[AuxTableSize];
uint16_t TreeLeft[TreeLinkCount];
uint16_t TreeRight[TreeLinkCount];

// A set of code lengths that is not one complete code: shown, counted as a
// fault of the member, and decoding goes on.
static void ShowBadTable(void)
{
    MessageBoxFormat("Bad table");
    ArchiveFaults++;
}

static inline uint16_t TableEntry(unsigned symbol, unsigned length)
{
    return (uint16_t)(symbol << EntrySymbolShift | length);
}

// Takes the next free tree node, with both links empty. Returns 0 when
// none is left.
static unsigned NewTreeNode(unsigned *avail)
{
    if (*avail >= TreeLinkCount)
        return 0;
    unsigned node = (*avail)++;
    TreeLeft[node] = 0;
    TreeRight[node] = 0;
    return node;
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

    // The codes of tableBits bits or fewer take the table's first slots one
    // after another; the slots after them are the roots of the longer codes'
    // trees or, when the code is not complete, lookups that find no code.
    const unsigned jut = MaxCodeLength - tableBits;
    const unsigned tableSize = 1u << tableBits;
    const uint32_t firstTreeBit = 1u << (MaxCodeLength - 1 - tableBits);
    const uint32_t shortCodesEnd = start[tableBits + 1];
    const uint16_t noCode = TableEntry(0, lengths[0]);
    for (unsigned i = shortCodesEnd < codeSpace ? shortCodesEnd >> jut : tableSize; i < tableSize;
         i++)
        table[i] = noCode;

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
            uint16_t entry = TableEntry(ch, len);
            for (uint32_t i = code >> jut; i < next >> jut; i++)
                table[i] = entry;
            continue;
        }
        // A longer code: its first tableBits bits pick a slot, the rest walk
        // a tree from the slot's node, creating the nodes it lacks.
        uint16_t *slot = &table[code >> jut];
        unsigned node = *slot >> EntrySymbolShift;
        if (node < nchar) {  // no tree here yet
            node = NewTreeNode(&avail);
            if (node == 0) {
                sound = 0;  // out of tree nodes: the code is dropped
                continue;
            }
            *slot = TableEntry(node, 0);
        }
        uint16_t *link = (code & firstTreeBit) ? &TreeRight[node] : &TreeLeft[node];
        code <<= 1;
        unsigned steps = len - tableBits - 1;
        for (; steps > 0; steps--) {
            if (*link == 0) {
                unsigned added = NewTreeNode(&avail);
                if (added == 0)
                    break;
                *link = (uint16_t)added;
            }
            link = (code & firstTreeBit) ? &TreeRight[*link] : &TreeLeft[*link];
            code <<= 1;
        }
        if (steps > 0) {
            sound = 0;  // out of tree nodes: the code is dropped
            continue;
        }
        *link = (uint16_t)ch;
    }
    if (!sound)
        ShowBadTable();
}

// The one-code form of a count of 0: every lookup yields code, and no bits.
static void FillSingleCode(unsigned nchar, unsigned code, uint8_t *lengths, uint16_t *table,
                           unsigned tableSize)
{
    memset(lengths, 0, nchar);
    if (code >= nchar) {
        ShowBadTable();
        code = 0;
    }
    uint16_t entry = TableEntry(code, 0);
    for (unsigned i = 0; i < tableSize; i++)
        table[i] = entry;
}

void ReadAuxLengths(unsigned nn, unsigned countBits, int specialIndex)
{
    unsigned n = GetBits(countBits);
    if (n == 0) {
        FillSingleCode(nn, GetBits(countBits), AuxLengths, AuxTable, AuxTableSize);
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
}

// Decodes one pre-tree code: what follows in the character length list.
static unsigned DecodePreCode(void)
{
    RefillBits(&Bits);
    unsigned entry = AuxTable[PeekBits(&Bits, AuxTableBits)];
    unsigned code = entry >> EntrySymbolShift;
    if (code < NumPreCodes) {
        DropBits(&Bits, entry & EntryLengthMask);
        return code;
    }
    code = WalkTree(code, Bits.window, 63 - AuxTableBits, NumPreCodes);
    DropBits(&Bits, AuxLengths[code]);
    return code;
}

void ReadCharLengths(void)
{
    unsigned n = GetBits(CharCountBits);
    if (n == 0) {
        FillSingleCode(NumCharCodes, GetBits(CharCountBits), CharLengths, CharTable,
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
}

// Joins each position code in AuxTable with the distance it stands for.
static void MakePositionTable(void)
{
    for (unsigned i = 0; i < AuxTableSize; i++) {
        unsigned entry = AuxTable[i];
        unsigned code = entry >> EntrySymbolShift;
        PositionTable[i] = code < NumPosCodes ? PositionEntry(code, entry & EntryLengthMask)
                                              : PositionTreeFlag | code;
    }
}

void ReadBlockHeader(void)
{
    BlockRemaining = GetBits(BlockCountBits);
    ReadAuxLengths(NumPreCodes, PreCountBits, PreTreeSpecialIndex);
    ReadCharLengths();
    ReadAuxLengths(NumPosCodes, PosCountBits, NoSpecialIndex);
    MakePositionTable();
}
