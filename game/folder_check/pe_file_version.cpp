#include "game/folder_check/pe_file_version.h"

enum {
    DosHeaderSize = 64,
    DosNewHeaderOffset = 0x3C,   // e_lfanew
    CoffHeaderSize = 20,
    SectionHeaderSize = 40,
    Pe32Magic = 0x10B,
    Pe32PlusMagic = 0x20B,
    ResourceDirectoryIndex = 2,
    ResourceTypeVersion = 16,    // RT_VERSION
    ResourceDirectoryHeaderSize = 16,
    ResourceEntrySize = 8,
    ResourceDataEntrySize = 16,
    FixedInfoSignature = 0xFEEF04BDu,
    FixedInfoSize = 52
};

static int InBounds(size_t offset, size_t length, size_t size)
{
    return offset <= size && length <= size - offset;
}

static uint16_t Read16(const uint8_t *at)
{
    return (uint16_t)(at[0] | at[1] << 8);
}

static uint32_t Read32(const uint8_t *at)
{
    return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

// The view of the image the resource walk needs: its sections.
struct PeSections {
    const uint8_t *image;
    size_t size;
    size_t sectionTable;
    unsigned sectionCount;
};

// Turns a relative virtual address into a file offset; returns 0 with the
// offset unset when no section holds length bytes there.
static int RvaToOffset(const PeSections *pe, uint32_t rva, uint32_t length, size_t *offset)
{
    for (unsigned i = 0; i < pe->sectionCount; i++) {
        const uint8_t *section = pe->image + pe->sectionTable + (size_t)i * SectionHeaderSize;
        uint32_t virtualAddress = Read32(section + 12);
        uint32_t rawSize = Read32(section + 16);
        uint32_t rawOffset = Read32(section + 20);
        if (rva >= virtualAddress && rva - virtualAddress < rawSize && length <= rawSize - (rva - virtualAddress)) {
            size_t at = (size_t)rawOffset + (rva - virtualAddress);
            if (!InBounds(at, length, pe->size))
                return 0;
            *offset = at;
            return 1;
        }
    }
    return 0;
}

// Looks up one entry of a resource directory (at directory, inside the
// resource section of resourceSize bytes): the one with the given id, or
// the first one when id is negative. Returns its offset field, or -1.
static int64_t FindResourceEntry(const uint8_t *section, size_t resourceSize, uint32_t directory, int id)
{
    if (!InBounds(directory, ResourceDirectoryHeaderSize, resourceSize))
        return -1;
    unsigned named = Read16(section + directory + 12);
    unsigned numbered = Read16(section + directory + 14);
    unsigned total = named + numbered;
    size_t entries = directory + ResourceDirectoryHeaderSize;
    if (total == 0 || !InBounds(entries, (size_t)total * ResourceEntrySize, resourceSize))
        return -1;
    for (unsigned i = 0; i < total; i++) {
        const uint8_t *entry = section + entries + (size_t)i * ResourceEntrySize;
        uint32_t name = Read32(entry);
        if (id < 0 || (!(name & 0x80000000u) && name == (uint32_t)id))
            return Read32(entry + 4);
    }
    return -1;
}

const char *ReadPeFileVersion(const uint8_t *image, size_t size, uint32_t *versionMs, uint32_t *versionLs)
{
    if (size < DosHeaderSize || image[0] != 'M' || image[1] != 'Z')
        return "not a Windows program or DLL (no MZ header)";
    uint32_t peOffset = Read32(image + DosNewHeaderOffset);
    if (!InBounds(peOffset, 4 + CoffHeaderSize, size) || Read32(image + peOffset) != 0x00004550u)
        return "not a Windows program or DLL (no PE header)";
    const uint8_t *coff = image + peOffset + 4;
    unsigned sectionCount = Read16(coff + 2);
    unsigned optionalSize = Read16(coff + 16);
    size_t optional = (size_t)peOffset + 4 + CoffHeaderSize;
    if (!InBounds(optional, optionalSize, size) || optionalSize < 2)
        return "the PE optional header is cut short";
    unsigned magic = Read16(image + optional);
    size_t countField = magic == Pe32Magic ? 92 : magic == Pe32PlusMagic ? 108 : 0;
    if (countField == 0 || optionalSize < countField + 4)
        return "the PE optional header is of an unknown kind";
    uint32_t directoryCount = Read32(image + optional + countField);
    size_t resourceEntry = countField + 4 + (size_t)ResourceDirectoryIndex * 8;
    if (directoryCount <= ResourceDirectoryIndex || optionalSize < resourceEntry + 8)
        return "the file has no resources";
    uint32_t resourceRva = Read32(image + optional + resourceEntry);
    uint32_t resourceSize = Read32(image + optional + resourceEntry + 4);
    if (resourceRva == 0 || resourceSize == 0)
        return "the file has no resources";

    PeSections pe;
    pe.image = image;
    pe.size = size;
    pe.sectionTable = optional + optionalSize;
    pe.sectionCount = sectionCount;
    if (!InBounds(pe.sectionTable, (size_t)sectionCount * SectionHeaderSize, size))
        return "the section table is cut short";
    size_t resourceOffset;
    if (!RvaToOffset(&pe, resourceRva, resourceSize, &resourceOffset))
        return "the resources lie outside the file";
    const uint8_t *section = image + resourceOffset;

    // Type (RT_VERSION), then the first name, then the first language.
    int64_t typeEntry = FindResourceEntry(section, resourceSize, 0, ResourceTypeVersion);
    if (typeEntry < 0 || !(typeEntry & 0x80000000u))
        return "the file has no version record";
    int64_t nameEntry = FindResourceEntry(section, resourceSize, (uint32_t)typeEntry & 0x7FFFFFFFu, -1);
    if (nameEntry < 0 || !(nameEntry & 0x80000000u))
        return "the version record's directory is damaged";
    int64_t languageEntry = FindResourceEntry(section, resourceSize, (uint32_t)nameEntry & 0x7FFFFFFFu, -1);
    if (languageEntry < 0 || (languageEntry & 0x80000000u) ||
        !InBounds((size_t)languageEntry, ResourceDataEntrySize, resourceSize))
        return "the version record's directory is damaged";
    uint32_t dataRva = Read32(section + languageEntry);
    uint32_t dataSize = Read32(section + languageEntry + 4);
    size_t dataOffset;
    if (!RvaToOffset(&pe, dataRva, dataSize, &dataOffset))
        return "the version record lies outside the file";

    // VS_VERSIONINFO: the fixed part follows the key "VS_VERSION_INFO" on a
    // 4-byte boundary and begins with its signature.
    const uint8_t *record = image + dataOffset;
    for (size_t at = 0; at + FixedInfoSize <= dataSize; at += 4) {
        if (Read32(record + at) == FixedInfoSignature) {
            *versionMs = Read32(record + at + 8);
            *versionLs = Read32(record + at + 12);
            return NULL;
        }
    }
    return "the version record has no fixed file version";
}
