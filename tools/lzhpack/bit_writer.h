// Appends bit fields to a byte vector, most significant bit first, as the
// "-lh5-" decoder takes them.
#pragma once

#include <stdint.h>
#include <vector>

struct BitWriter {
    std::vector<uint8_t> *output;
    uint32_t pending;  // bits not yet stored, in the low pendingCount bits
    int pendingCount;  // 0 to 7 between calls
};

static inline void StartBitWriter(BitWriter *writer, std::vector<uint8_t> *output)
{
    writer->output = output;
    writer->pending = 0;
    writer->pendingCount = 0;
}

// Appends the count (0 to 16) low bits of value.
static inline void PutBits(BitWriter *writer, uint32_t value, int count)
{
    writer->pending = (writer->pending << count) | (value & ((1u << count) - 1));
    writer->pendingCount += count;
    while (writer->pendingCount >= 8) {
        writer->pendingCount -= 8;
        writer->output->push_back((uint8_t)(writer->pending >> writer->pendingCount));
    }
    writer->pending &= (1u << writer->pendingCount) - 1;
}

// Completes the last byte with zero bits.
static inline void FlushBits(BitWriter *writer)
{
    if (writer->pendingCount > 0)
        PutBits(writer, 0, 8 - writer->pendingCount);
}
