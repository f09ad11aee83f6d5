// The LHA CRC-16 folded sixteen bytes at a time with the processor's
// carry-less multiply (PCLMULQDQ), where the program is built for x86-64
// and the processor has it. The result is that of FoldCrc's tables.
#pragma once

#include <stddef.h>
#include <stdint.h>

// 1 when FoldCrcCarryless may be called on this processor, else 0.
int CarrylessCrcAvailable(void);

// Folds count bytes into crc, as FoldCrc does. Only to be called when
// CarrylessCrcAvailable says 1; lengths below 64 bytes gain nothing.
uint16_t FoldCrcCarryless(uint16_t crc, const uint8_t *bytes, size_t count);
