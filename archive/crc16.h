// CRC-16 of the LHA format: polynomial 0x8005 in reflected form (0xA001),
// initial value 0, no final XOR (the check value "CRC-16/ARC").
#pragma once

#include <stddef.h>
#include <stdint.h>

enum { CrcTableSize = 256, CrcSliceCount = 16 };

// One 16-bit entry per byte value; filled by MakeCrcTable.
extern uint16_t CrcTable[CrcTableSize];

// CrcSlices[k][b]: the effect of byte b followed by k zero bytes, so that
// sixteen bytes fold with sixteen independent lookups (CrcSlices[0] is
// CrcTable's content).
extern uint16_t CrcSlices[CrcSliceCount][CrcTableSize];

// Fills CrcTable and CrcSlices. Cheap; called at the start of every
// extraction so that nothing depends on an earlier run.
void MakeCrcTable(void);

// Folds count bytes into crc (the tables must be filled) and returns the
// new value: crc = CrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8) for each byte b,
// sixteen bytes at a time where it can.
uint16_t FoldCrc(uint16_t crc, const uint8_t *bytes, size_t count);
