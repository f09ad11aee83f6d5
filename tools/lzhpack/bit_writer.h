// Appends bit fields to a byte vector, most significant bit first, as the
// "-lh5-" decoder takes them. Bits gather in a 64-bit number and go out
// four bytes at a time into room made ahead in the vector; FlushBits trims
// the vector to the bytes written.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <vector>

struct BitWriter {
    std::vector<uint8_t> *output;
    size_t used;       // bytes of output written; the rest is room
    uint64_t pending;  // bits not yet stored, in the low pendingCount bits
    int pendingCount;  // 0 to 31 between calls
};

static inline void StartBitWriter(BitWriter *writer, std::vector<uint8_t> *output)
{
    writer->output = output;
    writer->used = output->size();
    writer->pending = 0;
    writer->pendingCount = 0;
}

// Appends the count (0 to 32) low bits of value.
static inline void PutBits(BitWriter *writer, uint32_t value, int count)
{
    writer->pending = (writer->pending << count) | (value & (((uint64_t)1 << count) - 1));
    writer->pendingCount += count;
    if (writer->pendingCount < 32)
        return;
    writer->pendingCount -= 32;
    uint32_t word = (uint32_t)(writer->pending >> writer->pendingCount);
    std::vector<uint8_t> *output = writer->output;
    if (writer->used + 4 > output->size())
        output->resize(output->size() * 2 + 4096);
    uint8_t *at = output->data() + writer->used;
    at[0] = (uint8_t)(word >> 24);
    at[1] = (uint8_t)(word >> 16);
    at[2] = (uint8_t)(word >> 8);
    at[3] = (uint8_t)word;
    writer->used += 4;
}

// Completes the last byte with zero bits and trims the vector to the bytes
// written.
static inline void FlushBits(BitWriter *writer)
{
    std::vector<uint8_t> *output = writer->output;
    output->resize(writer->used);
    while (writer->pendingCount > 0) {
        int take = writer->pendingCount < 8 ? writer->pendingCount : 8;
        writer->pendingCount -= take;
        uint8_t byte = (uint8_t)((writer->pending >> writer->pendingCount) << (8 - take));
        output->push_back(byte);
    }
    writer->used = output->size();
}
