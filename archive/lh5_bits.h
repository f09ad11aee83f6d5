// The decoder's bit reader. Bits are taken from each byte most significant
// first. Up to 64 bits are held, the next one in bit 63 of the window, so
// that one refill serves a whole literal or match; the bytes that a 16-bit
// look-ahead reader would have read so far are worked out from the bits
// consumed (SyncArchiveCursor).
#pragma once

#include <stdint.h>
#include <string.h>

typedef struct BitReader {
    uint64_t window;        // next bits, the next one in bit 63; below the
                            // held bits it may hold copies of bytes to come
    uint64_t held;          // bits of window that are loaded (56 to 63 after a refill);
                            // as wide as the rest, so that the reader has no padding
                            // for a copy of it to carry
    const uint8_t *next;    // next byte to load
    const uint8_t *wholeLoadsEnd;  // next must be below this for 8 bytes to be
                                   // loaded at once: end - 7, or the start
                                   // when fewer than 8 bytes are packed
} BitReader;

extern BitReader Bits;               // the reader between calls
extern const uint8_t *PackedStart;   // the member's first packed byte
extern const uint8_t *PackedEnd;     // one past its last packed byte
extern uint64_t PaddingBytes;        // zero bytes loaded past PackedEnd

// Loads bytes one at a time into Bits, zeros past PackedEnd, until more
// than 56 bits are held.
void RefillBitsSlowly(void);

// Makes at least 56 bits held: eight bytes in one load while they lie
// before the end of the packed bytes (all 64 bits of the window are then
// the stream's next bits, though only whole bytes count as held). Any bits
// below the held ones are the same bytes, so OR-ing them in again changes
// nothing, and a reader that already holds 57 or more takes no byte: no
// test is needed first.
static inline void RefillBits(BitReader *bits)
{
    if (bits->next < bits->wholeLoadsEnd) {
        uint64_t word;
        memcpy(&word, bits->next, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        word = __builtin_bswap64(word);
#endif
        bits->window |= word >> bits->held;
        bits->next += (63 - bits->held) >> 3;
        bits->held |= 56;
    } else {
        // Near the end only. Through the global, so that no caller's local
        // reader has its address taken and leaves the registers.
        Bits = *bits;
        RefillBitsSlowly();
        *bits = Bits;
    }
}

// The next n bits (1 to 32) without consuming them.
static inline uint32_t PeekBits(const BitReader *bits, unsigned n)
{
    return (uint32_t)(bits->window >> (64 - n));
}

// Consumes n bits (0 to held).
static inline void DropBits(BitReader *bits, unsigned n)
{
    bits->window <<= n;
    bits->held -= n;
}

// Starts reading at ArchiveCursor, PackedRemaining bytes.
void InitBits(void);

// Returns the next n bits of Bits (0 to 16; 0 gives 0) and consumes them.
uint16_t GetBits(unsigned n);

// Sets ArchiveCursor and PackedRemaining to where the 16-bit look-ahead
// reader would stand: it reads two bytes at the start and then one byte
// whenever a consumed bit was not yet loaded, never past the packed size.
void SyncArchiveCursor(void);
