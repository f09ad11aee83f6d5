#include "tools/lzhpack/member_crc.h"

uint16_t MemberCrc16(const uint8_t *data, size_t size)
{
    static uint16_t table[256];
    static int tableReady = 0;
    if (!tableReady) {
        for (unsigned i = 0; i < 256; i++) {
            unsigned r = i;
            for (int bit = 0; bit < 8; bit++)
                r = (r & 1) ? (r >> 1) ^ 0xA001u : r >> 1;
            table[i] = (uint16_t)r;
        }
        tableReady = 1;
    }
    uint16_t crc = 0;
    for (size_t i = 0; i < size; i++)
        crc = (uint16_t)(table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8));
    return crc;
}
