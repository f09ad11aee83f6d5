#include "archive/crc16.h"

#include "archive/crc16_carryless.h"

enum { CrcReflectedPolynomial = 0xA001 };

// Entry [0][i] is the CRC of the single byte i: eight shifts of the
// reflected register, each XORing in the polynomial when a 1 falls out.
// Entry [k][i] carries entry [k - 1][i] through one more zero byte.
static constexpr CrcTableSet BuildCrcTables(void)
{
    CrcTableSet tables = {};
    for (unsigned i = 0; i < CrcTableSize; i++) {
        unsigned r = i;
        for (int bit = 0; bit < 8; bit++)
            r = (r & 1) ? (r >> 1) ^ CrcReflectedPolynomial : r >> 1;
        tables.slices[0][i] = (uint16_t)r;
    }
    for (unsigned k = 1; k < CrcSliceCount; k++) {
        for (unsigned i = 0; i < CrcTableSize; i++) {
            unsigned previous = tables.slices[k - 1][i];
            tables.slices[k][i] =
                (uint16_t)(tables.slices[0][previous & 0xFF] ^ (previous >> 8));
        }
    }
    return tables;
}

extern constexpr CrcTableSet CrcTables = BuildCrcTables();

uint16_t FoldCrcByTables(uint16_t crc, const uint8_t *bytes, size_t count)
{
    const uint16_t (*slices)[CrcTableSize] = CrcTables.slices;
    unsigned value = crc;
    size_t i = 0;
    // The 16-bit register meets only the first two bytes of a group; each
    // byte's effect then travels through the zero bytes after it.
    for (; count - i >= CrcSliceCount; i += CrcSliceCount) {
        const uint8_t *b = bytes + i;
        value = slices[15][(value ^ b[0]) & 0xFF] ^ slices[14][((value >> 8) ^ b[1]) & 0xFF] ^
                slices[13][b[2]] ^ slices[12][b[3]] ^ slices[11][b[4]] ^
                slices[10][b[5]] ^ slices[9][b[6]] ^ slices[8][b[7]] ^
                slices[7][b[8]] ^ slices[6][b[9]] ^ slices[5][b[10]] ^
                slices[4][b[11]] ^ slices[3][b[12]] ^ slices[2][b[13]] ^
                slices[1][b[14]] ^ slices[0][b[15]];
    }
    for (; i < count; i++)
        value = slices[0][(value ^ bytes[i]) & 0xFF] ^ (value >> 8);
    return (uint16_t)value;
}

uint16_t FoldCrc(uint16_t crc, const uint8_t *bytes, size_t count)
{
    if (count >= CarrylessFoldFrom && CarrylessCrcAvailable())
        return FoldCrcCarryless(crc, bytes, count);
    return FoldCrcByTables(crc, bytes, count);
}
