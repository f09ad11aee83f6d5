// CRC-16 of the LHA format: polynomial 0x8005 in reflected form (0xA001),
// initial value 0, no final XOR (the check value "CRC-16/ARC").
#pragma once

#include <stddef.h>
#include <stdint.h>

enum { CrcTableSize = 256, CrcSliceCount = 16 };

// The CRC tables. They are worked out when the program is compiled and are
// read-only, so any number of threads may fold at once and nothing needs
// setting up first.
typedef struct CrcTableSet {
    // slices[0][b] is the CRC of the single byte b (the classic table);
    // slices[k][b] is the effect of byte b followed by k zero bytes, so that
    // sixteen bytes fold with sixteen independent lookups.
    uint16_t slices[CrcSliceCount][CrcTableSize];
} CrcTableSet;

extern const CrcTableSet CrcTables;

// Folds count bytes into crc and returns the new value:
// crc = slices[0][(crc ^ b) & 0xFF] ^ (crc >> 8) for each byte b, sixteen
// bytes at a time where it can.
uint16_t FoldCrcByTables(uint16_t crc, const uint8_t *bytes, size_t count);

// Below this many bytes the tables are as quick as the carry-less multiply.
enum { CarrylessFoldFrom = 128 };

// The same result as FoldCrcByTables, by the carry-less multiply
// (crc16_carryless.h) where the processor has it and count is large enough.
uint16_t FoldCrc(uint16_t crc, const uint8_t *bytes, size_t count);
