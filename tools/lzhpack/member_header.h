// The level-1 basic header of one archive member, as the installer reads it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "archive/archive_header.h"

enum {
    Level1HeaderFixedBytes = HeaderPrefixLength + MinimumHeaderBody,  // all but the name
    MaxLevel1HeaderBytes = HeaderPrefixLength + HeaderBodyLimit,
    MemberAttribute = 0x20,       // the archive bit, as MS-DOS sets it
    MemberOsId = 0x20,            // the operating-system id this packer writes
    MemberHeaderLevel = 1
};

struct MemberHeaderFields {
    char methodCharacter;  // '5' for "-lh5-", '0' for "-lh0-"
    uint32_t packedSize;
    uint32_t unpackedSize;
    uint32_t timeStamp;    // MS-DOS date and time
    const char *name;      // at most MemberNameLimit bytes, written without a terminator
    uint16_t crc;          // CRC-16 of the unpacked data
};

// Lays out the header in buffer (bufferSize bytes): header size H = name
// length + 25, the sum of the H body bytes, method, sizes, time stamp,
// attribute 0x20, level 1, name length and name, CRC-16, OS id 0x20 and an
// extended-header size of 0. Returns the header's length (H + 2), or 0 when
// the name is longer than MemberNameLimit bytes or the buffer too small.
size_t BuildMemberHeader(const MemberHeaderFields *fields, uint8_t *buffer, size_t bufferSize);
