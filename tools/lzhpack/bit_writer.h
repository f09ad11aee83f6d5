// Appends bit fields to a byte vector, most significant bit first, as the
// "-lh5-" decoder takes them. The bits not yet whole bytes wait at the top
// of a 64-bit number; each field is added, the number's eight bytes are
// stored past the bytes written so far, and the whole bytes among them
// are kept. No branch depends on the fields, and room is made ahead in the
// vector; FlushBits trims it to the bytes written.
//
// A long run of PutBits calls is fastest on a copy of the writer held in
// a local variable (copied back afterwards): the bytes it stores could
// otherwise stand for the writer's own fields and make them be read again.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <vector>

enum { BitWriterRoom = 4096 };  // bytes the vector grows by at least

struct BitWriter {
    std::vector<uint8_t> *output;
    uint8_t *buffer;   // output's bytes
    size_t room;       // output's size
    size_t used;       // bytes written; the rest is room
    uint64_t pending;  // bits not yet written, from the top bit down
    int pendingCount;  // 0 to 7 between calls
};

static inline void StartBitWriter(BitWriter *writer, std::vector<uint8_t> *output)
{
    writer->output = output;
    writer->buffer = output->data();
    writer->room = output->size();
    writer->used = output->size();
    writer->pending = 0;
    writer->pendingCount = 0;
}

// Appends a field of count bits (0 to 56) whose value has no higher bits.
static inline void PutField(BitWriter *writer, uint64_t field, int count)
{
    if (writer->used + 8 > writer->room) {
        writer->output->resize(writer->room * 2 + BitWriterRoom);
        writer->buffer = writer->output->data();
        writer->room = writer->output->size();
    }
    // The field's top bit goes just below the pending bits. A field of no
    // bits is 0, so the shift may wrap harmlessly then.
    uint64_t pending = writer->pending | field << ((64 - writer->pendingCount - count) & 63);
    int pendingCount = writer->pendingCount + count;
    // The eight bytes, most significant first, in one store.
    uint64_t bytes = pending;
#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_BIG_ENDIAN__
    bytes = __builtin_bswap64(bytes);
#endif
    memcpy(writer->buffer + writer->used, &bytes, 8);
    int whole = pendingCount >> 3;  // at most 7
    writer->used += (size_t)whole;
    writer->pending = pending << (8 * whole);
    writer->pendingCount = pendingCount & 7;
}

// Appends the count (0 to 56) low bits of value.
static inline void PutBits(BitWriter *writer, uint64_t value, int count)
{
    PutField(writer, value & (((uint64_t)1 << count) - 1), count);
}

// Completes the last byte with zero bits and trims the vector to the bytes
// written.
static inline void FlushBits(BitWriter *writer)
{
    if (writer->pendingCount > 0)
        PutBits(writer, 0, 8 - writer->pendingCount);
    writer->output->resize(writer->used);
    writer->buffer = writer->output->data();
    writer->room = writer->output->size();
}
