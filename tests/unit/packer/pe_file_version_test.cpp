// Reading the file version of a PE file, as the build's folder check does
// for the display driver: a small image laid out by hand from the PE and
// resource formats, and damaged copies of it.
#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "game/folder_check/pe_file_version.h"

namespace {

typedef std::vector<uint8_t> Bytes;

void Put16(Bytes *image, size_t at, uint32_t value)
{
    (*image)[at] = (uint8_t)value;
    (*image)[at + 1] = (uint8_t)(value >> 8);
}

void Put32(Bytes *image, size_t at, uint32_t value)
{
    Put16(image, at, value);
    Put16(image, at + 2, value >> 16);
}

// Offsets of the hand-made image's parts.
enum {
    PeHeader = 64,
    Optional = PeHeader + 24,
    SectionTable = Optional + 224,
    ResourceFile = 512,
    ResourceRva = 0x1000,
    VersionRecord = 88,  // inside the resource section
    ResourceBytes = 256
};

// A PE32 image with one section ".rsrc" holding a version resource (type
// 16, name 1, language 1033) whose fixed part gives the file version
// major.minor.build.revision.
Bytes MakeImage(uint32_t major, uint32_t minor, uint32_t build, uint32_t revision)
{
    Bytes image(ResourceFile + ResourceBytes, 0);
    image[0] = 'M';
    image[1] = 'Z';
    Put32(&image, 0x3C, PeHeader);
    memcpy(&image[PeHeader], "PE\0\0", 4);
    Put16(&image, PeHeader + 4, 0x14C);      // i386
    Put16(&image, PeHeader + 6, 1);          // one section
    Put16(&image, PeHeader + 20, 224);       // optional header size
    Put16(&image, Optional, 0x10B);          // PE32
    Put32(&image, Optional + 92, 16);        // data directories
    Put32(&image, Optional + 96 + 2 * 8, ResourceRva);
    Put32(&image, Optional + 96 + 2 * 8 + 4, ResourceBytes);
    memcpy(&image[SectionTable], ".rsrc\0\0\0", 8);
    Put32(&image, SectionTable + 8, ResourceBytes);
    Put32(&image, SectionTable + 12, ResourceRva);
    Put32(&image, SectionTable + 16, ResourceBytes);
    Put32(&image, SectionTable + 20, ResourceFile);

    const size_t r = ResourceFile;
    Put16(&image, r + 14, 1);                        // root: one id entry
    Put32(&image, r + 16, 16);                       // RT_VERSION
    Put32(&image, r + 20, 0x80000000u | 24);
    Put16(&image, r + 24 + 14, 1);                   // names: one id entry
    Put32(&image, r + 40, 1);
    Put32(&image, r + 44, 0x80000000u | 48);
    Put16(&image, r + 48 + 14, 1);                   // languages: one id entry
    Put32(&image, r + 64, 1033);
    Put32(&image, r + 68, 72);                       // a data entry
    Put32(&image, r + 72, ResourceRva + VersionRecord);
    Put32(&image, r + 76, 92);

    const size_t v = r + VersionRecord;
    Put16(&image, v, 92);                            // wLength
    Put16(&image, v + 2, 52);                        // wValueLength
    const char key[] = "VS_VERSION_INFO";
    for (size_t i = 0; i < sizeof key; i++)
        Put16(&image, v + 6 + 2 * i, (uint8_t)key[i]);
    Put32(&image, v + 40, 0xFEEF04BDu);              // fixed part, 4-byte aligned
    Put32(&image, v + 44, 0x00010000u);
    Put32(&image, v + 48, major << 16 | minor);
    Put32(&image, v + 52, build << 16 | revision);
    return image;
}

TEST(PeFileVersion, ReadsTheFixedFileVersion)
{
    Bytes image = MakeImage(3, 10, 0, 0);
    uint32_t ms = 0, ls = 0;
    ASSERT_EQ(ReadPeFileVersion(image.data(), image.size(), &ms, &ls), nullptr);
    EXPECT_EQ(ms, 0x0003000Au);
    EXPECT_EQ(ls, 0u);
    image = MakeImage(4, 2, 7, 9);
    ASSERT_EQ(ReadPeFileVersion(image.data(), image.size(), &ms, &ls), nullptr);
    EXPECT_EQ(ms, 0x00040002u);
    EXPECT_EQ(ls, 0x00070009u);
}

TEST(PeFileVersion, RefusesFilesWithoutAVersion)
{
    uint32_t ms, ls;
    const uint8_t text[] = "MZ but nothing else of a program";
    EXPECT_NE(ReadPeFileVersion(text, sizeof text, &ms, &ls), nullptr);
    Bytes image = MakeImage(3, 10, 0, 0);
    Put32(&image, ResourceFile + 16, 3);  // the only resource is an icon
    EXPECT_NE(ReadPeFileVersion(image.data(), image.size(), &ms, &ls), nullptr);
    image = MakeImage(3, 10, 0, 0);
    Put32(&image, ResourceFile + VersionRecord + 40, 0);  // no signature
    EXPECT_NE(ReadPeFileVersion(image.data(), image.size(), &ms, &ls), nullptr);
}

TEST(PeFileVersion, NeverReadsOutsideADamagedFile)
{
    Bytes image = MakeImage(3, 10, 0, 0);
    uint32_t ms, ls;
    // Every cut-short copy lies in a buffer of its own exact size, so a
    // read past it is caught by the address sanitizer.
    for (size_t size = 0; size < image.size(); size++) {
        Bytes cut(image.begin(), image.begin() + (long)size);
        if (ReadPeFileVersion(cut.data(), cut.size(), &ms, &ls) == nullptr)
            EXPECT_GE(size, (size_t)ResourceFile + VersionRecord + 92) << "read a version from " << size << " bytes";
    }
    // Offsets pointing far away.
    const size_t fields[] = {0x3C, Optional + 112, ResourceFile + 20, ResourceFile + 44, ResourceFile + 68,
                             ResourceFile + 72, ResourceFile + 76, SectionTable + 20, SectionTable + 16};
    for (size_t field : fields) {
        for (uint32_t value : {0x7FFFFFF0u, 0xFFFFFFFFu, 0x80000000u | 0x7FFFFFF0u}) {
            Bytes damaged = image;
            Put32(&damaged, field, value);
            ReadPeFileVersion(damaged.data(), damaged.size(), &ms, &ls);
        }
    }
}

}  // namespace
