#include "tools/lzhpack/lh5_block.h"

#include <string.h>

#include "tools/lzhpack/huffman_lengths.h"

// Pre-tree codes of the character code lengths.
enum {
    PreZeroOne = 0,     // one zero length
    PreZeroShort = 1,   // 3 to 18 zero lengths, 4 extra bits
    PreZeroLong = 2,    // 20 to 531 zero lengths, 9 extra bits
    PreLengthBase = 2,  // codes 3 to 18: length code - 2
    ShortRunBits = 4,
    LongRunBits = 9,
    ShortRunMin = 3,
    ShortRunMax = 18,
    LongRunMin = 20,
    LongRunMax = 531
};

void ClearStatistics(BlockStatistics *stats)
{
    memset(stats, 0, sizeof *stats);
}

void AddStatistics(BlockStatistics *stats, const BlockStatistics *more)
{
    for (int i = 0; i < NumCharCodes; i++)
        stats->charFrequencies[i] += more->charFrequencies[i];
    for (int i = 0; i < NumPosCodes; i++)
        stats->posFrequencies[i] += more->posFrequencies[i];
    stats->codeCount += more->codeCount;
    stats->extraBits += more->extraBits;
}

// Bits of one length in the 3-bit form with its unary extension (lengths 7
// and up: "111", then length - 7 ones, then a zero).
static int AuxLengthBits(int length)
{
    return length < 7 ? 3 : length - 3;
}

static void PutAuxLength(BitWriter *writer, int length)
{
    if (length < 7) {
        PutBits(writer, (uint32_t)length, 3);
        return;
    }
    PutBits(writer, 7, 3);
    for (int i = 7; i < length; i++)
        PutBits(writer, 1, 1);
    PutBits(writer, 0, 1);
}

// Number of lengths sent for an alphabet: up to the last nonzero one.
static int SentLengthCount(const uint8_t *lengths, int count)
{
    while (count > 0 && lengths[count - 1] == 0)
        count--;
    return count;
}

// Zero lengths that the pre-tree's 2-bit field after index 3 can cover.
static int PreTreeSkippedZeros(const uint8_t *lengths, int sent)
{
    int zeros = 0;
    while (zeros < 3 && PreTreeSpecialIndex + zeros < sent && lengths[PreTreeSpecialIndex + zeros] == 0)
        zeros++;
    return zeros;
}

// Bits of an auxiliary alphabet's lengths (pre-tree or position code),
// count field included, in the normal form.
static uint64_t AuxTableBits(const uint8_t *lengths, int count, int countBits, int specialIndex)
{
    int sent = SentLengthCount(lengths, count);
    uint64_t bits = (uint64_t)countBits;
    for (int i = 0; i < sent; i++) {
        bits += (uint64_t)AuxLengthBits(lengths[i]);
        if (i + 1 == specialIndex) {
            int zeros = PreTreeSkippedZeros(lengths, sent);
            bits += 2;
            i += zeros;
        }
    }
    return bits;
}

static void PutAuxTable(BitWriter *writer, const uint8_t *lengths, int count, int countBits, int specialIndex)
{
    int sent = SentLengthCount(lengths, count);
    PutBits(writer, (uint32_t)sent, countBits);
    for (int i = 0; i < sent; i++) {
        PutAuxLength(writer, lengths[i]);
        if (i + 1 == specialIndex) {
            int zeros = PreTreeSkippedZeros(lengths, sent);
            PutBits(writer, (uint32_t)zeros, 2);
            i += zeros;
        }
    }
}

// The symbol of an alphabet with exactly one used symbol (0 when none).
static int OnlySymbol(const uint32_t *frequencies, int count)
{
    for (int i = 0; i < count; i++)
        if (frequencies[i] != 0)
            return i;
    return 0;
}

// Turns the character code lengths into pre-tree items: runs of zeros in
// the cheapest of the run forms, other lengths as code length + 2.
static void MakePreItems(BlockPlan *plan)
{
    int sent = SentLengthCount(plan->charLengths, NumCharCodes);
    int items = 0;
    int i = 0;
    while (i < sent) {
        int length = plan->charLengths[i];
        if (length != 0) {
            plan->preItems[items] = (uint16_t)(length + PreLengthBase);
            plan->preExtra[items++] = 0;
            i++;
            continue;
        }
        int run = 0;
        while (i + run < sent && plan->charLengths[i + run] == 0)
            run++;
        i += run;
        while (run > 0) {
            if (run >= LongRunMin) {
                int take = run > LongRunMax ? LongRunMax : run;
                plan->preItems[items] = PreZeroLong;
                plan->preExtra[items++] = (uint16_t)(take - LongRunMin);
                run -= take;
            } else if (run == LongRunMin - 1) {
                // 19 has no form of its own: one single zero, then 18.
                plan->preItems[items] = PreZeroOne;
                plan->preExtra[items++] = 0;
                run--;
            } else if (run >= ShortRunMin) {
                plan->preItems[items] = PreZeroShort;
                plan->preExtra[items++] = (uint16_t)(run - ShortRunMin);
                run = 0;
            } else {
                plan->preItems[items] = PreZeroOne;
                plan->preExtra[items++] = 0;
                run--;
            }
        }
    }
    plan->preItemCount = items;
}

static int PreExtraBits(int item)
{
    return item == PreZeroShort ? ShortRunBits : item == PreZeroLong ? LongRunBits : 0;
}

void PlanBlock(const BlockStatistics *stats, BlockPlan *plan)
{
    uint64_t bits = BlockCountBits;

    plan->charUsed = BuildCodeLengths(stats->charFrequencies, NumCharCodes, MaxCodeBits, plan->charLengths);
    plan->charSingle = OnlySymbol(stats->charFrequencies, NumCharCodes);
    plan->posUsed = BuildCodeLengths(stats->posFrequencies, NumPosCodes, MaxCodeBits, plan->posLengths);
    plan->posSingle = OnlySymbol(stats->posFrequencies, NumPosCodes);
    AssignCanonicalCodes(plan->charLengths, NumCharCodes, plan->charCodes);
    AssignCanonicalCodes(plan->posLengths, NumPosCodes, plan->posCodes);

    if (plan->charUsed <= 1) {
        // Single-code form: an empty pre-tree (count 0, code 0), then count
        // 0 and the code; the code itself then takes no bits.
        plan->preItemCount = 0;
        plan->preUsed = 0;
        plan->preSingle = 0;
        memset(plan->preLengths, 0, sizeof plan->preLengths);
        bits += PreCountBits * 2 + CharCountBits * 2;
    } else {
        MakePreItems(plan);
        uint32_t preFrequencies[NumPreCodes];
        memset(preFrequencies, 0, sizeof preFrequencies);
        for (int i = 0; i < plan->preItemCount; i++)
            preFrequencies[plan->preItems[i]]++;
        plan->preUsed = BuildCodeLengths(preFrequencies, NumPreCodes, MaxCodeBits, plan->preLengths);
        plan->preSingle = OnlySymbol(preFrequencies, NumPreCodes);
        AssignCanonicalCodes(plan->preLengths, NumPreCodes, plan->preCodes);
        if (plan->preUsed <= 1)
            bits += PreCountBits * 2;
        else
            bits += AuxTableBits(plan->preLengths, NumPreCodes, PreCountBits, PreTreeSpecialIndex);
        bits += CharCountBits;
        for (int i = 0; i < plan->preItemCount; i++) {
            int item = plan->preItems[i];
            bits += (uint64_t)(plan->preUsed <= 1 ? 0 : plan->preLengths[item]) + (uint64_t)PreExtraBits(item);
        }
        for (int i = 0; i < NumCharCodes; i++)
            bits += (uint64_t)stats->charFrequencies[i] * plan->charLengths[i];
    }

    if (plan->posUsed <= 1) {
        bits += PosCountBits * 2;
    } else {
        bits += AuxTableBits(plan->posLengths, NumPosCodes, PosCountBits, -1);
        for (int i = 0; i < NumPosCodes; i++)
            bits += (uint64_t)stats->posFrequencies[i] * plan->posLengths[i];
    }
    plan->totalBits = bits + stats->extraBits;
}

void WriteCodedBlock(BitWriter *writer, const BlockPlan *plan, const Lh5Token *tokens, uint32_t count)
{
    PutBits(writer, count, BlockCountBits);

    if (plan->charUsed <= 1) {
        PutBits(writer, 0, PreCountBits);
        PutBits(writer, 0, PreCountBits);
        PutBits(writer, 0, CharCountBits);
        PutBits(writer, (uint32_t)plan->charSingle, CharCountBits);
    } else {
        if (plan->preUsed <= 1) {
            PutBits(writer, 0, PreCountBits);
            PutBits(writer, (uint32_t)plan->preSingle, PreCountBits);
        } else {
            PutAuxTable(writer, plan->preLengths, NumPreCodes, PreCountBits, PreTreeSpecialIndex);
        }
        PutBits(writer, (uint32_t)SentLengthCount(plan->charLengths, NumCharCodes), CharCountBits);
        for (int i = 0; i < plan->preItemCount; i++) {
            int item = plan->preItems[i];
            if (plan->preUsed > 1)
                PutBits(writer, plan->preCodes[item], plan->preLengths[item]);
            int extra = PreExtraBits(item);
            if (extra != 0)
                PutBits(writer, plan->preExtra[i], extra);
        }
    }

    if (plan->posUsed <= 1) {
        PutBits(writer, 0, PosCountBits);
        PutBits(writer, (uint32_t)plan->posSingle, PosCountBits);
    } else {
        PutAuxTable(writer, plan->posLengths, NumPosCodes, PosCountBits, -1);
    }

    // Each token goes out as one field: its character code, then for a
    // match its position code and the extra bits (16 + 13 + 12 bits at
    // most). The codes and lengths are looked up whole: for each position
    // code, its code already moved above its extra bits, and the length of
    // both. A literal's position part has no bits.
    uint32_t charCode[NumCharCodes];
    uint8_t charLength[NumCharCodes];
    uint32_t posCode[NumPosCodes];
    uint8_t posLength[NumPosCodes];
    uint32_t extraMask[NumPosCodes];
    for (int i = 0; i < NumCharCodes; i++) {
        charCode[i] = plan->charUsed > 1 ? plan->charCodes[i] : 0;
        charLength[i] = plan->charUsed > 1 ? plan->charLengths[i] : 0;
    }
    for (int i = 0; i < NumPosCodes; i++) {
        int extraBits = i > 1 ? i - 1 : 0;
        posCode[i] = plan->posUsed > 1 ? (uint32_t)plan->posCodes[i] << extraBits : 0;
        posLength[i] = (uint8_t)((plan->posUsed > 1 ? plan->posLengths[i] : 0) + extraBits);
        extraMask[i] = (1u << extraBits) - 1;
    }
    BitWriter local = *writer;  // see bit_writer.h
    for (uint32_t i = 0; i < count; i++) {
        Lh5Token token = tokens[i];
        int positionCode = PositionCode(token.distance);
        int isMatch = token.code >= FirstMatchCode;
        uint32_t posBits = (posCode[positionCode] | (token.distance & extraMask[positionCode])) & (0u - isMatch);
        int posBitCount = isMatch ? posLength[positionCode] : 0;
        PutField(&local, (uint64_t)charCode[token.code] << posBitCount | posBits,
                 charLength[token.code] + posBitCount);
    }
    *writer = local;
}
