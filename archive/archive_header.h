// The member headers of an LHA archive held in memory (level-1 layout).
//
// A member is a basic header, zero or more extended headers and the packed
// data; the archive ends with a single 0 byte. The basic header:
//
//   offset  size  field
//   0       1     header size H: bytes of the body that follows the sum byte
//                 (0 here is the end mark)
//   1       1     header sum: low 8 bits of the sum of the H body bytes
//   2       5     method id "-lh?-"
//   7       4     packed size (extended headers plus packed data)
//   11      4     unpacked size
//   15      4     time stamp, 19 attribute, 20 level       (not used)
//   21      1     name length N
//   22      N     name, no terminator
//   H-3     2     CRC-16 of the unpacked data
//   H-1     1     operating-system id                       (not used)
//   H       2     size of the first extended header, 0 = none
//
// Each extended header's size counts the 2-byte field that ends it, which
// holds the size of the next one. Multi-byte numbers are little-endian.
#pragma once

#include <stdint.h>

enum {
    HeaderPrefixLength = 2,    // the size byte and the sum byte before the body
    HeaderBodyLimit = 255,     // H is one byte
    MinimumHeaderBody = 25,    // H for an empty name: 20 fixed bytes + CRC, OS id, next size
    MemberNameLimit = HeaderBodyLimit - MinimumHeaderBody,  // 230
    MethodIdLength = 5         // "-lh5-"
};

// Offsets inside the header body (the H bytes after the sum byte), shared by
// the reader and the packer.
enum {
    BodyMethod = 0,
    BodyMethodChar = 3,
    BodyPackedSize = 5,
    BodyUnpackedSize = 9,
    BodyTimeStamp = 13,
    BodyAttribute = 17,
    BodyLevel = 18,
    BodyNameLength = 19,
    BodyName = 20,
    CrcBeforeBodyEnd = 5,            // CRC at H - 5
    OsIdBeforeBodyEnd = 3,           // OS id at H - 3
    NextSizeBeforeBodyEnd = 2,       // first extended header's size at H - 2
    ExtendedSizeFieldLength = 2
};

// Everything the reader and the tools need from one member's headers, with
// every size already checked against the archive's bounds.
typedef struct ArchiveEntry {
    uint32_t headerOffset;     // the member's header-size byte
    uint32_t packedOffset;     // first byte after the basic header
    uint32_t dataOffset;       // first packed byte after the extended headers
    uint32_t endOffset;        // one past the member: where the next header lies
    uint32_t packedSize;       // as stored: extended headers plus packed data
    uint32_t unpackedSize;
    uint32_t extendedSize;     // bytes taken by the extended headers
    uint16_t firstExtendedSize;  // the size field that ends the basic header
    uint16_t extendedCount;
    uint16_t storedCrc;
    uint8_t headerSize;        // H
    uint8_t sumMatches;        // 1 when the header sum is right
    char method[MethodIdLength + 1];        // as stored, zero-terminated
    char name[MemberNameLimit + 1];         // as stored, cut at a 0 byte
} ArchiveEntry;

// Reads the member header at *offset of the archive (archiveSize bytes) into
// entry. Returns 1 for a member, with *offset moved to the next header; 0 at
// the end mark, with *offset just past it; -1 for a header that is cut short,
// malformed or whose sizes reach past the archive, after showing a message
// that says which (*offset is then unchanged). A wrong header sum shows
// "Header sum error" and the header is still used (entry->sumMatches is 0).
// Never reads outside the archive's bytes.
int ReadArchiveEntry(const uint8_t *archive, uint32_t archiveSize,
                     uint32_t *offset, ArchiveEntry *entry);

// ReadArchiveEntry without a message: for walks that only look (the names
// removal may delete, the longest name), so that a damaged header is told
// once, by the extraction, not at every look.
int ReadArchiveEntryQuietly(const uint8_t *archive, uint32_t archiveSize,
                            uint32_t *offset, ArchiveEntry *entry);

// Copies the names of the archive's first limit members into names, in one
// quiet walk; returns how many it copied. Stops at the end mark or at a
// malformed header.
unsigned ArchiveMemberNames(const uint8_t *archive, uint32_t archiveSize,
                            char (*names)[MemberNameLimit + 1], unsigned limit);

// The room the first memberLimit members of the archive (archiveSize bytes)
// take once unpacked onto a drive whose clusters hold clusterSize bytes:
// each member's unpacked size rounded up to whole clusters, summed (a
// clusterSize of 0 counts bytes). Stops at the end mark, or at a malformed
// header after its message.
uint64_t ArchiveUnpackedSpace(const uint8_t *archive, uint32_t archiveSize,
                              uint16_t memberLimit, uint32_t clusterSize);

// The method character of an accepted method: '0' (stored), '4' or '5'
// (compressed with the -lh5- decoder); 0 for any other method id.
char AcceptedMethod(const ArchiveEntry *entry);

// 1 when name, written under a folder, stays inside that folder: it does
// not start with a slash or backslash, holds no colon (drive letters,
// alternate streams) and has no ".." component. Windows drops trailing dots
// and spaces from a component, so any component made only of dots and
// spaces that holds two dots counts as "..".
int IsPlainMemberName(const char *name);

// Little-endian reads of format fields.
uint16_t ReadLittle16(const uint8_t *bytes);
uint32_t ReadLittle32(const uint8_t *bytes);
