// The "-lh5-" compressor: LZ77 over the 8 KiB dictionary with a parse that
// minimises the coded size, and Huffman blocks whose boundaries follow the
// data's statistics.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <vector>

// Knobs of the compressor; DefaultEncoderSettings gives the packer's own.
struct EncoderSettings {
    int chainDepth;    // hash-chain candidates examined per position (1 to 48; after a
                       // stretch rich in long matches, 48)
    int niceLength;    // a match this long is taken whole, without searching inside it
    int chunkSize;     // bytes parsed at a time; blocks are made of chunks
    int reparseAlways; // 1: every chunk is parsed again under its own codes, not only
                       // where they differ enough from those it was parsed under
    int treeDepth;     // 0: matches from the hash chains; else from the binary trees,
                       // walked this deep (1 to MaxTreeDepth), which miss fewer
};

EncoderSettings DefaultEncoderSettings(void);

// The strongest settings (create --best): matches from the binary trees, no
// match taken whole before its longest, smaller chunks parsed twice each,
// and a block of several chunks once more under its own codes.
EncoderSettings BestEncoderSettings(void);

// Appends the "-lh5-" stream of data[0..size) to packed. Empty data gives an
// empty stream. Blocks hold at most 65,535 codes.
void EncodeLh5(const uint8_t *data, size_t size, const EncoderSettings *settings,
               std::vector<uint8_t> *packed);
