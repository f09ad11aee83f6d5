// The figures of the "-lh5-" method, shared by the decoder, the packer and
// their tests: the sliding dictionary, the three Huffman alphabets and the
// bit fields of a block header.
//
// A stream is a series of blocks. Each starts with a 16-bit count of the
// character/length codes that follow, then the code lengths of the
// pre-tree (which codes the character code lengths), of the
// character/length code and of the position code. A character/length code
// below 256 is a literal byte; code c from 256 up is a match of c - 253
// bytes, followed by a position code j: 0 for distance 0, 1 for 1, and
// j >= 2 for 2^(j-1) plus j - 1 extra bits. A match of distance d starts
// d + 1 bytes back.
#pragma once

enum {
    DictionarySize = 8192,     // how far back a match may reach; also the reader's block size
    MinMatchLength = 3,        // shortest match a character/length code expresses
    MaxMatchLength = 256,      // longest one
    FirstMatchCode = 256,      // the character/length code of a match of MinMatchLength
    MatchLengthBias = FirstMatchCode - MinMatchLength,  // a code c >= 256 copies c - 253 bytes
    NumCharCodes = 510,        // 256 literal bytes and 254 match lengths
    NumPosCodes = 14,          // position codes: distances 0 to 8191
    NumPreCodes = 19,          // codes of the character code lengths
    MaxCodeLength = 16,        // the longest code of any of the three
    MaxBlockCodes = 65535,     // the most a block's 16-bit count can hold (0 reads as 65536)

    // Bit-field widths of a block header.
    BlockCountBits = 16,
    PreCountBits = 5,
    CharCountBits = 9,
    PosCountBits = 4,
    PreTreeSpecialIndex = 3    // after the third pre-tree length, a 2-bit count of zero lengths
};
