#include "archive/crc16.h"

enum { CrcReflectedPolynomial = 0xA001 };

uint16_t CrcTable[CrcTableSize];
uint16_t CrcSlices[CrcSliceCount][CrcTableSize];

// Entry i is the CRC of the single byte i: eight shifts of the reflected
// register, each XORing in the polynomial when a 1 falls out.
void MakeCrcTable(void)
{
    for (unsigned i = 0; i < CrcTableSize; i++) {
        unsigned r = i;
        for (int bit = 0; bit < 8; bit++)
            r = (r & 1) ? (r >> 1) ^ CrcReflectedPolynomial : r >> 1;
        CrcTable[i] = (uint16_t)r;
        CrcSlices[0][i] = (uint16_t)r;
    }
    for (unsigned k = 1; k < CrcSliceCount; k++) {
        for (unsigned i = 0; i < CrcTableSize; i++) {
            unsigned previous = CrcSlices[k - 1][i];
            CrcSlices[k][i] = (uint16_t)(CrcTable[previous & 0xFF] ^ (previous >> 8));
        }
    }
}

uint16_t FoldCrc(uint16_t crc, const uint8_t *bytes, size_t count)
{
    unsigned value = crc;
    size_t i = 0;
    // The 16-bit register meets only the first two bytes of a group; each
    // byte's effect then travels through the zero bytes after it.
    for (; count - i >= CrcSliceCount; i += CrcSliceCount) {
        const uint8_t *b = bytes + i;
        value = CrcSlices[15][(value ^ b[0]) & 0xFF] ^
                CrcSlices[14][((value >> 8) ^ b[1]) & 0xFF] ^
                CrcSlices[13][b[2]] ^ CrcSlices[12][b[3]] ^ CrcSlices[11][b[4]] ^
                CrcSlices[10][b[5]] ^ CrcSlices[9][b[6]] ^ CrcSlices[8][b[7]] ^
                CrcSlices[7][b[8]] ^ CrcSlices[6][b[9]] ^ CrcSlices[5][b[10]] ^
                CrcSlices[4][b[11]] ^ CrcSlices[3][b[12]] ^ CrcSlices[2][b[13]] ^
                CrcSlices[1][b[14]] ^ CrcSlices[0][b[15]];
    }
    for (; i < count; i++)
        value = CrcTable[(value ^ bytes[i]) & 0xFF] ^ (value >> 8);
    return (uint16_t)value;
}
