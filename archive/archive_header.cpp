#include "archive/archive_header.h"

#include <string.h>

#include "support/support.h"

uint16_t ReadLittle16(const uint8_t *bytes)
{
    return (uint16_t)(bytes[0] | (bytes[1] << 8));
}

uint32_t ReadLittle32(const uint8_t *bytes)
{
    return (uint32_t)bytes[0] | ((uint32_t)bytes[1] << 8) |
           ((uint32_t)bytes[2] << 16) | ((uint32_t)bytes[3] << 24);
}

// Walks the chain of extended headers that starts after the basic header
// and fills the entry's extended fields. Returns 0, after a message when
// showFaults is 1, when a size is below its own 2-byte field or runs past
// the member's packed size.
static int WalkExtendedHeaders(const uint8_t *archive, ArchiveEntry *entry, int showFaults)
{
    uint32_t position = entry->packedOffset;
    uint32_t memberEnd = entry->packedOffset + entry->packedSize;
    uint32_t size = entry->firstExtendedSize;
    entry->extendedCount = 0;
    while (size != 0) {
        if (size < ExtendedSizeFieldLength || size > memberEnd - position) {
            if (showFaults)
                MessageBoxFormat("Bad extended header in %s: size %u does not fit.",
                                 entry->name, (unsigned)size);
            return 0;
        }
        position += size;
        entry->extendedCount++;
        size = ReadLittle16(archive + position - ExtendedSizeFieldLength);
    }
    entry->dataOffset = position;
    entry->extendedSize = position - entry->packedOffset;
    return 1;
}

uint64_t ArchiveUnpackedSpace(const uint8_t *archive, uint32_t archiveSize,
                              uint16_t memberLimit, uint32_t clusterSize)
{
    uint64_t space = 0;
    uint32_t offset = 0;
    ArchiveEntry entry;
    for (unsigned count = 0; count < memberLimit; count++) {
        if (ReadArchiveEntry(archive, archiveSize, &offset, &entry) != 1)
            break;
        uint64_t size = entry.unpackedSize;
        if (clusterSize != 0)
            size = (size + clusterSize - 1) / clusterSize * clusterSize;
        space += size;
    }
    return space;
}

// ReadArchiveEntry and ReadArchiveEntryQuietly: the messages are shown only
// when showFaults is 1.
static int ReadEntry(const uint8_t *archive, uint32_t archiveSize, uint32_t *offset,
                     ArchiveEntry *entry, int showFaults)
{
    uint32_t start = *offset;
    if (start >= archiveSize) {
        if (showFaults)
            MessageBoxFormat("The archive ends without its end mark.");
        return -1;
    }
    unsigned bodySize = archive[start];
    if (bodySize == 0) {
        *offset = start + 1;
        return 0;
    }
    if (archiveSize - start < 2u + bodySize) {
        if (showFaults)
            MessageBoxFormat("The archive ends inside a member header.");
        return -1;
    }

    const uint8_t *body = archive + start + 2;
    unsigned sum = 0;
    for (unsigned i = 0; i < bodySize; i++)
        sum += body[i];
    entry->sumMatches = (uint8_t)((sum & 0xFF) == archive[start + 1]);
    if (!entry->sumMatches && showFaults)
        MessageBoxFormat("Header sum error");

    if (bodySize < MinimumHeaderBody) {
        if (showFaults)
            MessageBoxFormat("Bad member header: %u bytes are too few.", bodySize);
        return -1;
    }
    unsigned nameLength = body[BodyNameLength];
    if (nameLength > bodySize - MinimumHeaderBody) {
        if (showFaults)
            MessageBoxFormat("Bad member header: a name of %u bytes does not fit in it.",
                             nameLength);
        return -1;
    }

    entry->headerOffset = start;
    entry->headerSize = (uint8_t)bodySize;
    memcpy(entry->method, body + BodyMethod, MethodIdLength);
    entry->method[MethodIdLength] = '\0';
    memcpy(entry->name, body + BodyName, nameLength);
    entry->name[nameLength] = '\0';
    entry->packedSize = ReadLittle32(body + BodyPackedSize);
    entry->unpackedSize = ReadLittle32(body + BodyUnpackedSize);
    entry->storedCrc = ReadLittle16(body + bodySize - CrcBeforeBodyEnd);
    entry->firstExtendedSize = ReadLittle16(body + bodySize - NextSizeBeforeBodyEnd);
    entry->packedOffset = start + 2 + bodySize;

    if (entry->packedSize > archiveSize - entry->packedOffset) {
        if (showFaults)
            MessageBoxFormat("The packed data of %s reaches past the end of the archive.",
                             entry->name);
        return -1;
    }
    entry->endOffset = entry->packedOffset + entry->packedSize;
    if (!WalkExtendedHeaders(archive, entry, showFaults))
        return -1;

    // A stored member is copied from its packed data, and the next header
    // follows it: both sizes must agree.
    if (AcceptedMethod(entry) == '0' &&
        entry->unpackedSize != entry->endOffset - entry->dataOffset) {
        if (showFaults)
            MessageBoxFormat("Stored member %s: %u bytes stored for %u.", entry->name,
                             (unsigned)(entry->endOffset - entry->dataOffset),
                             (unsigned)entry->unpackedSize);
        return -1;
    }
    *offset = entry->endOffset;
    return 1;
}

char AcceptedMethod(const ArchiveEntry *entry)
{
    char method = entry->method[BodyMethodChar];
    if (method != '0' && method != '4' && method != '5')
        return 0;
    if (memcmp(entry->method, "-lh", 3) != 0 || entry->method[4] != '-')
        return 0;
    return method;
}

// A component of only dots and spaces with at least two dots means the
// parent folder to Windows.
static int IsParentComponent(const char *component, size_t length)
{
    size_t dots = 0;
    for (size_t i = 0; i < length; i++) {
        if (component[i] == '.')
            dots++;
        else if (component[i] != ' ')
            return 0;
    }
    return dots >= 2;
}

int IsPlainMemberName(const char *name)
{
    if (name[0] == '/' || name[0] == '\\')
        return 0;
    if (strchr(name, ':') != NULL)
        return 0;
    const char *component = name;
    for (;;) {
        size_t length = strcspn(component, "/\\");
        if (IsParentComponent(component, length))
            return 0;
        if (component[length] == '\0')
            return 1;
        component += length + 1;
    }
}

int ReadArchiveEntry(const uint8_t *archive, uint32_t archiveSize,
                     uint32_t *offset, ArchiveEntry *entry)
{
    return ReadEntry(archive, archiveSize, offset, entry, 1);
}

int ReadArchiveEntryQuietly(const uint8_t *archive, uint32_t archiveSize,
                            uint32_t *offset, ArchiveEntry *entry)
{
    return ReadEntry(archive, archiveSize, offset, entry, 0);
}

unsigned ArchiveMemberNames(const uint8_t *archive, uint32_t archiveSize,
                            char (*names)[MemberNameLimit + 1], unsigned limit)
{
    unsigned count = 0;
    uint32_t offset = 0;
    ArchiveEntry entry;
    while (count < limit && ReadArchiveEntryQuietly(archive, archiveSize, &offset, &entry) == 1) {
        memcpy(names[count], entry.name, sizeof entry.name);
        count++;
    }
    return count;
}
