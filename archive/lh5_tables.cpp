#include "archive/lh5_tables.h"

#include <string.h>

#include "archive/archive_state.h"
#include "archive/lh5_bits.h"
#include "support/support.h"

uint16_t BlockRemaining;
uint8_t CharLengths[NumCharCodes];
uint32_t CharTable[CharTableSize];
uint8_t AuxLengths[NumPreCodes];
uint32_t AuxTable[AuxTableSize];
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

static inline uint32_t TableEntry(unsigned symbol, unsigned length)
{
    return (uint32_t)(symbol << EntrySymbolShift | length);
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

// Places a code longer than tableBits (its 16-bit-scaled value code): its
// first tableBits bits pick a slot, the rest walk a tree from the slot's
// node, creating the nodes it lacks. Returns 0 when out of tree nodes (the
// code is then dropped).
static int PlaceLongCode(uint32_t *table, unsigned tableBits, unsigned nchar, uint32_t code,
                         unsigned len, unsigned ch, unsigned *avail)
{
    const unsigned jut = MaxCodeLength - tableBits;
    const uint32_t firstTreeBit = 1u << (MaxCodeLength - 1 - tableBits);
    uint32_t *slot = &table[code >> jut];
    unsigned node = *slot >> EntrySymbolShift;
    if (node < nchar) {  // no tree here yet
        node = NewTreeNode(avail);
        if (node == 0)
            return 0;
        *slot = TableEntry(node, 0);
    }
    uint16_t *link = (code & firstTreeBit) ? &TreeRight[node] : &TreeLeft[node];
    code <<= 1;
    for (unsigned steps = len - tableBits - 1; steps > 0; steps--) {
        if (*link == 0) {
            unsigned added = NewTreeNode(avail);
            if (added == 0)
                return 0;
            *link = (uint16_t)added;
        }
        link = (code & firstTreeBit) ? &TreeRight[*link] : &TreeLeft[*link];
        code <<= 1;
    }
    *link = (uint16_t)ch;
    return 1;
}

int MakeTable(unsigned nchar, uint8_t *lengths, unsigned tableBits, uint32_t *table,
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
    const uint32_t shortCodesEnd = start[tableBits + 1];
    const uint32_t noCode = TableEntry(0, lengths[0]);
    for (unsigned i = shortCodesEnd < codeSpace ? shortCodesEnd >> jut : tableSize; i < tableSize;
         i++)
        table[i] = noCode;

    unsigned avail = nchar;
    if (sound) {
        // A complete code: the codes in order of length, then symbol, fill
        // the table's slots one run after another, and the long codes'
        // trees follow. Sorted by counting, without a pass per length.
        uint16_t sorted[NumCharCodes];
        unsigned offset[MaxCodeLength + 1];
        offset[1] = 0;
        for (unsigned len = 1; len < MaxCodeLength; len++)
            offset[len + 1] = offset[len] + count[len];
        for (unsigned ch = 0; ch < nchar; ch++) {
            if (lengths[ch] != 0)
                sorted[offset[lengths[ch]]++] = (uint16_t)ch;
        }
        unsigned used = nchar - count[0];
        unsigned k = 0;
        uint32_t *slots = table;
        for (; k < used && lengths[sorted[k]] <= tableBits; k++) {
            unsigned ch = sorted[k];
            unsigned len = lengths[ch];
            uint32_t entry = TableEntry(ch, len);
            uint32_t run = 1u << (tableBits - len);
            for (uint32_t i = 0; i < run; i++)
                slots[i] = entry;
            slots += run;
        }
        uint32_t code = (uint32_t)(slots - table) << jut;
        for (; k < used; k++) {
            unsigned ch = sorted[k];
            PlaceLongCode(table, tableBits, nchar, code, lengths[ch], ch, &avail);
            code += 1u << (MaxCodeLength - lengths[ch]);
        }
        return sound;
    }
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
            uint32_t entry = TableEntry(ch, len);
            for (uint32_t i = code >> jut; i < next >> jut; i++)
                table[i] = entry;
            continue;
        }
        if (!PlaceLongCode(table, tableBits, nchar, code, len, ch, &avail))
            sound = 0;  // out of tree nodes: the code is dropped
    }
    if (!sound)
        ShowBadTable();
    return sound;
}

// The one-code form of a count of 0: every lookup yields code, and no bits.
// Returns 1 when code was in the alphabet.
static int FillSingleCode(unsigned nchar, unsigned code, uint8_t *lengths, uint32_t *table,
                           unsigned tableSize)
{
    memset(lengths, 0, nchar);
    int sound = code < nchar;
    if (!sound) {
        ShowBadTable();
        code = 0;
    }
    uint32_t entry = TableEntry(code, 0);
    for (unsigned i = 0; i < tableSize; i++)
        table[i] = entry;
    return sound;
}

int ReadAuxLengths(unsigned nn, unsigned countBits, int specialIndex)
{
    unsigned n = GetBits(countBits);
    if (n == 0) {
        return FillSingleCode(nn, GetBits(countBits), AuxLengths, AuxTable, AuxTableSize);
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
    return MakeTable(nn, AuxLengths, AuxTableBits, AuxTable, sound);
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

int ReadCharLengths(void)
{
    unsigned n = GetBits(CharCountBits);
    if (n == 0) {
        FillSingleCode(NumCharCodes, GetBits(CharCountBits), CharLengths, CharTable,
                       CharTableSize);
        return 0;  // a code of no bits: nothing to fold
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
    return MakeTable(NumCharCodes, CharLengths, CharTableBits, CharTable, sound);
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

// The folded part of a match code of charLength bits for each value of the
// CharTableBits - charLength bits after it in a slot: the position code
// they begin (its bits with its extra bits, which come after the slot's),
// when it ends within them, else 0. Kept for each length, in one array
// (2048 values for length 1, 1024 for 2, ...).
static uint32_t FoldedParts[CharTableSize];

static uint32_t *MakeFoldedParts(unsigned charLength)
{
    uint32_t *parts = FoldedParts + CharTableSize - (CharTableSize >> (charLength - 1));
    unsigned rest = CharTableBits - charLength;
    for (uint32_t j = 0; j < (1u << rest); j++) {
        uint32_t slotBits = j << charLength;  // the rest at the top of a slot's bits
        uint32_t position = PositionTable[slotBits >> (CharTableBits - AuxTableBits)];
        unsigned codeLength = position & 0xFF;
        parts[j] = 0;
        unsigned extraBits = (position >> 8) & FoldedExtraMask;
        if (!(position & PositionTreeFlag) && codeLength <= rest)
            parts[j] = FoldedMatchFlag | (position >> 16) << FoldedBaseShift |
                       extraBits << FoldedExtraShift | (codeLength + extraBits);
    }
    return parts;
}

// Gives the match codes of CharTable their position codes where both fit
// the table's width. Only for a character/length code and a position code
// that are both sound: then every code of at most the table's width fills
// an aligned run of slots, and the bits past a slot pick one position
// entry however the bits after them go.
static void FoldPositionCodes(void)
{
    uint32_t *partsOfLength[CharTableBits] = {NULL};
    // In a sound code each code of at most CharTableBits bits fills an
    // aligned run of slots; a tree's root is one slot.
    for (unsigned i = 0; i < CharTableSize;) {
        uint32_t entry = CharTable[i];
        unsigned symbol = entry >> EntrySymbolShift;
        unsigned length = entry & EntryLengthMask;
        if (length == 0 || symbol >= NumCharCodes) {
            i++;
            continue;
        }
        unsigned run = 1u << (CharTableBits - length);
        if (symbol >= FirstMatchCode && length < CharTableBits) {
            if (partsOfLength[length] == NULL)
                partsOfLength[length] = MakeFoldedParts(length);
            const uint32_t *parts = partsOfLength[length];
            uint32_t match = (uint32_t)(symbol - FirstMatchCode) << FoldedLengthShift | length;
            for (unsigned j = 0; j < run; j++)
                CharTable[i + j] = parts[j] != 0 ? parts[j] + match : entry;
        }
        i += run;
    }
}

void ReadBlockHeader(void)
{
    BlockRemaining = GetBits(BlockCountBits);
    ReadAuxLengths(NumPreCodes, PreCountBits, PreTreeSpecialIndex);
    int charSound = ReadCharLengths();
    int positionSound = ReadAuxLengths(NumPosCodes, PosCountBits, NoSpecialIndex);
    MakePositionTable();
    if (charSound && positionSound)
        FoldPositionCodes();
}
