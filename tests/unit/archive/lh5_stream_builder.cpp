#include "tests/unit/archive/lh5_stream_builder.h"

#include <stdexcept>

void PutBits(StreamBitWriter &writer, uint32_t value, unsigned n)
{
    for (unsigned i = n; i-- > 0;) {
        if (writer.bitCount % 8 == 0)
            writer.bytes.push_back(0);
        if ((value >> i) & 1)
            writer.bytes.back() |= (uint8_t)(0x80 >> (writer.bitCount % 8));
        writer.bitCount++;
    }
}

Bytes StreamBytes(const StreamBitWriter &writer)
{
    return writer.bytes;
}

CodeBook MakeCodeBook(const std::vector<uint8_t> &lengths)
{
    CodeBook book;
    book.lengths = lengths;
    book.codes.assign(lengths.size(), 0);
    uint32_t code = 0;
    for (unsigned length = 1; length <= 16; length++) {
        for (size_t symbol = 0; symbol < lengths.size(); symbol++) {
            if (lengths[symbol] == length)
                book.codes[symbol] = code++;
        }
        code <<= 1;
    }
    return book;
}

std::vector<uint8_t> CompleteLengths(const std::vector<unsigned> &symbols)
{
    unsigned count = (unsigned)symbols.size();
    unsigned m = 0;
    while ((1u << m) < count)
        m++;
    unsigned shorter = (1u << m) - count;  // these get m - 1 bits
    unsigned largest = 0;
    for (unsigned symbol : symbols)
        largest = symbol > largest ? symbol : largest;
    std::vector<uint8_t> lengths(largest + 1, 0);
    for (unsigned i = 0; i < count; i++)
        lengths[symbols[i]] = (uint8_t)(i < shorter ? m - 1 : m);
    return lengths;
}

static void PutSymbol(StreamBitWriter &writer, const CodeBook &book, unsigned symbol)
{
    if (book.singleCode >= 0) {
        if ((unsigned)book.singleCode != symbol)
            throw std::logic_error("symbol not in the one-code form");
        return;
    }
    if (symbol >= book.lengths.size() || book.lengths[symbol] == 0)
        throw std::logic_error("symbol has no code");
    PutBits(writer, book.codes[symbol], book.lengths[symbol]);
}

void PutAuxLengths(StreamBitWriter &writer, const std::vector<uint8_t> &lengths, unsigned countBits,
                   int specialIndex)
{
    PutBits(writer, (uint32_t)lengths.size(), countBits);
    for (size_t i = 0; i < lengths.size(); i++) {
        unsigned length = lengths[i];
        if (length < 7) {
            PutBits(writer, length, 3);
        } else {
            PutBits(writer, 7, 3);
            for (unsigned extra = 7; extra < length; extra++)
                PutBits(writer, 1, 1);
            PutBits(writer, 0, 1);
        }
        if ((int)i + 1 == specialIndex)
            PutBits(writer, 0, 2);
    }
}

void PutBlockHeader(Lh5Stream &stream, const BlockHeaderPlan &plan)
{
    StreamBitWriter &bits = stream.bits;
    PutBits(bits, plan.codeCount, 16);

    std::vector<uint8_t> preLengths(19, 4);
    for (unsigned i = 13; i < 19; i++)
        preLengths[i] = 5;
    CodeBook pre = MakeCodeBook(preLengths);

    if (plan.charLengths.empty()) {
        // The character table is one code, so the pre-tree is not needed:
        // write its one-code form too.
        PutBits(bits, 0, 5);
        PutBits(bits, 0, 5);
        PutBits(bits, 0, 9);
        PutBits(bits, plan.fixedChar, 9);
        stream.chars = CodeBook();
        stream.chars.singleCode = (int)plan.fixedChar;
    } else {
        PutAuxLengths(bits, preLengths, 5, 3);
        PutBits(bits, (uint32_t)plan.charLengths.size(), 9);
        for (uint8_t length : plan.charLengths)
            PutSymbol(bits, pre, length == 0 ? 0 : length + 2u);
        stream.chars = MakeCodeBook(plan.charLengths);
    }

    if (plan.positionLengths.empty()) {
        PutBits(bits, 0, 4);
        PutBits(bits, plan.fixedPosition, 4);
        stream.positions = CodeBook();
        stream.positions.singleCode = (int)plan.fixedPosition;
    } else {
        PutAuxLengths(bits, plan.positionLengths, 4, -1);
        stream.positions = MakeCodeBook(plan.positionLengths);
    }
}

void PutLiteral(Lh5Stream &stream, uint8_t byte)
{
    PutSymbol(stream.bits, stream.chars, byte);
}

void PutMatch(Lh5Stream &stream, unsigned length, unsigned distance)
{
    PutSymbol(stream.bits, stream.chars, length + 253);
    unsigned code = 0;
    while (code < 14 && (distance >> code) != 0)
        code++;  // distance 0 -> 0; otherwise 1 + the index of its top bit
    PutSymbol(stream.bits, stream.positions, code);
    if (code > 1)
        PutBits(stream.bits, distance - (1u << (code - 1)), code - 1);
}

void ModelLiteral(Bytes &out, uint8_t byte)
{
    out.push_back(byte);
}

void ModelMatch(Bytes &out, unsigned length, unsigned distance)
{
    for (unsigned i = 0; i < length; i++)
        out.push_back(out[out.size() - distance - 1]);
}
