// The reading verbs of lzhpack: list, test and extract. test and extract
// run the installer's own reader and decoder (ExtractArchive); messages go
// to standard error and status lines to standard output, member names in
// them with every unprintable byte shown as '?'. Exit status: 0
// when every member was sound, 1 when any was not, 2 for a usage or file
// error.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "archive/archive_header.h"
#include "archive/archive_reader.h"
#include "support/program_constants.h"
#include "support/settings.h"
#include "support/support_console.h"
#include "support/text_format.h"
#include "tools/host/whole_file.h"
#include "tools/lzhpack/lzhpack_verbs.h"

enum { ExitSound = 0, ExitFaulty = 1, ExitUsage = 2 };

// An archive's bytes: mapped from a regular file, or read into a buffer.
struct LoadedArchive {
    const uint8_t *data = nullptr;
    uint32_t size = 0;
    void *mapping = nullptr;      // the mapped pages, or null
    size_t mappedLength = 0;
    std::vector<uint8_t> bytes;   // the bytes read, when not mapped
};

// Reads the whole file at path into archive's own buffer. Returns 0 after a
// message when it cannot be read or is 4 GiB or more.
static int ReadArchiveFile(const char *path, LoadedArchive *archive)
{
    if (!ReadWholeFile(path, &archive->bytes)) {
        fprintf(stderr, "lzhpack: cannot read %s: %s\n", path, strerror(errno));
        return 0;
    }
    if (archive->bytes.size() > 0xFFFFFFFFu) {
        fprintf(stderr, "lzhpack: cannot read %s: 4 GiB or more\n", path);
        return 0;
    }
    archive->data = archive->bytes.data();
    archive->size = (uint32_t)archive->bytes.size();
    return 1;
}

// Maps the regular, non-empty file at path read-only into memory, its pages
// entered at once: the file's own cached pages are used, so nothing is copied
// and no fresh page is cleared. Returns 0, having shown nothing, when the
// path is anything else or cannot be mapped; the caller then reads it.
static int MapArchiveFile(const char *path, LoadedArchive *archive)
{
    int descriptor = open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return 0;
    struct stat info;
    void *mapping = MAP_FAILED;
    if (fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        (unsigned long long)info.st_size <= 0xFFFFFFFFull)
        mapping = mmap(NULL, (size_t)info.st_size, PROT_READ, MAP_PRIVATE | MAP_POPULATE,
                       descriptor, 0);
    close(descriptor);
    if (mapping == MAP_FAILED)
        return 0;
    archive->mapping = mapping;
    archive->mappedLength = (size_t)info.st_size;
    archive->data = (const uint8_t *)mapping;
    archive->size = (uint32_t)info.st_size;
    return 1;
}

// Loads the archive at path: mapped when it is a regular file, read
// otherwise (an empty file, a device, a pipe), so that every other kind of
// path meets the same messages. Returns 0 after a message when it cannot be
// read or is 4 GiB or more. The bytes must not change while loaded: a file
// cut short under the mapping ends the process.
static int LoadArchive(const char *path, LoadedArchive *archive)
{
    return MapArchiveFile(path, archive) || ReadArchiveFile(path, archive);
}

// Gives back what LoadArchive took.
static void ReleaseArchive(LoadedArchive *archive)
{
    if (archive->mapping != NULL)
        munmap(archive->mapping, archive->mappedLength);
    *archive = LoadedArchive();
}

int RunList(int argc, char **argv)
{
    if (argc != 1) {
        fprintf(stderr, "usage: lzhpack list ARCHIVE\n");
        return ExitUsage;
    }
    LoadedArchive archive;
    if (!LoadArchive(argv[0], &archive))
        return ExitUsage;

    printf("method     packed   unpacked  crc   name\n");
    char method[MethodIdLength + 1];
    char name[MemberNameLimit + 1];
    uint32_t offset = 0;
    int status = ExitSound;
    ArchiveEntry entry;
    int result;
    while ((result = ReadArchiveEntry(archive.data, archive.size, &offset, &entry)) > 0) {
        CopyPrintable(method, sizeof method, entry.method);
        CopyPrintable(name, sizeof name, entry.name);
        printf("%s %10u %10u  %04X  %s\n", method, (unsigned)entry.packedSize,
               (unsigned)entry.unpackedSize, (unsigned)entry.storedCrc, name);
        if (!entry.sumMatches)
            status = ExitFaulty;
    }
    if (result < 0)
        status = ExitFaulty;
    ReleaseArchive(&archive);
    return status;
}

// Runs ExtractArchive over the archive at path with every member allowed.
static int RunExtraction(const char *path)
{
    LoadedArchive archive;
    if (!LoadArchive(path, &archive))
        return ExitUsage;
    int sound = ExtractArchive(UINT16_MAX, archive.data, archive.size);
    ReleaseArchive(&archive);
    return sound ? ExitSound : ExitFaulty;
}

int RunTest(int argc, char **argv)
{
    if (argc != 1) {
        fprintf(stderr, "usage: lzhpack test ARCHIVE\n");
        return ExitUsage;
    }
    // Nothing is written, so no replacement name is ever wanted.
    FILE *noNames = fopen("/dev/null", "r");
    if (noNames == NULL) {
        fprintf(stderr, "lzhpack: cannot open /dev/null\n");
        return ExitUsage;
    }
    ReplacementInput = noNames;
    ArchiveTestOnly = 1;
    int status = RunExtraction(argv[0]);
    ArchiveTestOnly = 0;
    ReplacementInput = NULL;
    fclose(noNames);
    return status;
}

int RunExtract(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: lzhpack extract ARCHIVE DIR\n");
        return ExitUsage;
    }
    const char *folder = argv[1];
    if (mkdir(folder, 0777) != 0 && errno != EEXIST) {
        fprintf(stderr, "lzhpack: cannot create %s: %s\n", folder, strerror(errno));
        return ExitUsage;
    }
    // Members are written to the folder text followed directly by their
    // names, so the folder ends with a separator.
    size_t length = strlen(folder);
    const char *separator = (length > 0 && folder[length - 1] == '/') ? "" : "/";
    if (length + strlen(separator) >= sizeof InstallFolder) {
        fprintf(stderr, "lzhpack: folder name too long: %s\n", folder);
        return ExitUsage;
    }
    FormatText(InstallFolder, sizeof InstallFolder, "%s%s", folder, separator);
    return RunExtraction(argv[0]);
}
