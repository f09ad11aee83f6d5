// The -lh5- decoder: an LZ77 sliding dictionary of 8192 bytes whose
// literals, match lengths and match positions are coded with canonical
// Huffman codes that each block of the stream carries. Method '4' members
// are decoded by the same code.
//
// It reads the member's packed bytes through ArchiveCursor and
// PackedRemaining (archive_state.h), never past them, and after every call
// leaves them exactly where a reader with a 16-bit look-ahead refilled a
// byte at a time would: past the end of the packed bytes it reads zero
// bits. Its only message is "Bad table".
#pragma once

#include <stdint.h>

// Starts a member: resets the bit reader at ArchiveCursor (the first packed
// byte, PackedRemaining of them), the block count and any pending match.
// The tables and the dictionary keep their content.
void DecodeStart(void);

// Writes exactly count bytes (1 to 8192) to buffer positions 0 to count - 1.
// buffer is WindowBuffer, which doubles as the dictionary: the caller must
// not change it between calls, and every call of a member but the last
// must ask for the full 8192 bytes.
void DecodeBytes(uint16_t count, uint8_t *buffer);
