#include "archive/lh5_bits.h"

#include "archive/archive_state.h"

BitReader Bits;
const uint8_t *PackedStart;
const uint8_t *PackedEnd;
uint64_t PaddingBytes;

void RefillBitsSlowly(void)
{
    while (Bits.held <= 56) {
        uint64_t byte = 0;
        if (Bits.next < PackedEnd)
            byte = *Bits.next++;
        else
            PaddingBytes++;
        Bits.window |= byte << (56 - Bits.held);
        Bits.held += 8;
    }
}

void InitBits(void)
{
    PackedStart = ArchiveCursor;
    PackedEnd = ArchiveCursor + PackedRemaining;
    PaddingBytes = 0;
    Bits.window = 0;
    Bits.held = 0;
    Bits.next = PackedStart;
    Bits.wholeLoadsEnd = PackedRemaining >= 8 ? PackedEnd - 7 : PackedStart;
    RefillBits(&Bits);
}

uint16_t GetBits(unsigned n)
{
    RefillBits(&Bits);
    if (n == 0)
        return 0;
    uint16_t value = (uint16_t)PeekBits(&Bits, n);
    DropBits(&Bits, n);
    return value;
}

void SyncArchiveCursor(void)
{
    uint64_t loadedBytes = (uint64_t)(Bits.next - PackedStart) + PaddingBytes;
    uint64_t consumedBits = loadedBytes * 8 - Bits.held;
    uint64_t bytesRead = 2 + (consumedBits + 7) / 8;
    uint32_t packedSize = (uint32_t)(PackedEnd - PackedStart);
    if (bytesRead > packedSize)
        bytesRead = packedSize;
    ArchiveCursor = PackedStart + bytesRead;
    PackedRemaining = packedSize - (uint32_t)bytesRead;
}
