// Builds LHA archives byte by byte for the tests, from the level-1 layout:
//   H, sum, "-lhX-", packed size, unpacked size, time, attribute, level,
//   N, name, CRC-16, OS id, first extended header size (H = N + 25),
// then the extended headers (content + 2-byte size of the next one) and the
// packed data; a 0 byte ends the archive.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

// CRC-16/ARC computed bit by bit (reflected polynomial 0xA001), without
// tables: an independent reference for the reader's table-driven CRC.
uint16_t ReferenceCrc(const Bytes &data);

struct MemberPlan {
    std::string method = "-lh0-";
    std::string name;
    Bytes data;                      // the packed data after the extended headers
    uint32_t unpackedSize = 0;
    uint16_t crc = 0;
    std::vector<Bytes> extended;     // contents of the extended headers
    int sumDelta = 0;                // added to the stored header sum
    int packedSizeDelta = 0;         // added to the stored packed size
    int nameLengthDelta = 0;         // added to the stored name length N only
    int bodySizeOverride = -1;       // stored H when >= 0
};

// A stored ("-lh0-") member holding data, with its CRC.
MemberPlan StoredMember(const std::string &name, const Bytes &data);

// A compressed member with the given packed stream and expected content.
MemberPlan PackedMember(const std::string &method, const std::string &name,
                        const Bytes &stream, const Bytes &content);

Bytes BuildMember(const MemberPlan &plan);

// The members one after another, then the end mark when endMark is true.
Bytes BuildArchive(const std::vector<MemberPlan> &members, bool endMark = true);

// size bytes of a fixed pseudo-random pattern (seeded), for contents.
Bytes PatternBytes(size_t size, uint32_t seed);

// The whole content of a file, or an empty vector when it cannot be read;
// exists is set to whether the file could be opened.
Bytes FileBytes(const std::string &path, bool *exists = nullptr);
