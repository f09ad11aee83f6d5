// The CRC-16 an archive member's header carries for its unpacked data.
#pragma once

#include <stddef.h>
#include <stdint.h>

// CRC-16/ARC (polynomial 0x8005 reflected, initial value 0, no final XOR)
// of data[0..size).
uint16_t MemberCrc16(const uint8_t *data, size_t size);
