// The reading verbs of lzhpack: list, test and extract. test and extract
// run the installer's own reader and decoder (ExtractArchive); messages go
// to standard error and status lines to standard output. Exit status: 0
// when every member was sound, 1 when any was not, 2 for a usage or file
// error.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "archive/archive_header.h"
#include "archive/archive_reader.h"
#include "shell/program_constants.h"
#include "shell/text_format.h"
#include "system/settings.h"
#include "tools/lzhpack/lzhpack_verbs.h"

enum { ExitSound = 0, ExitFaulty = 1, ExitUsage = 2 };

// Reads the whole file at path into a new buffer (freed by the caller).
// Returns null after a message when it cannot be read or is 4 GiB or more.
static uint8_t *LoadArchive(const char *path, uint32_t *size)
{
    FILE *file = fopen(path, "rb");
    if (file == NULL) {
        fprintf(stderr, "lzhpack: cannot open %s: %s\n", path, strerror(errno));
        return NULL;
    }
    uint8_t *data = NULL;
    long length = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        length = ftell(file);
    if (length < 0 || (unsigned long)length > 0xFFFFFFFFul || fseek(file, 0, SEEK_SET) != 0) {
        fprintf(stderr, "lzhpack: cannot read %s: not a regular file under 4 GiB\n", path);
    } else if ((data = (uint8_t *)malloc(length > 0 ? (size_t)length : 1)) == NULL) {
        fprintf(stderr, "lzhpack: %s: out of memory\n", path);
    } else if (fread(data, 1, (size_t)length, file) != (size_t)length) {
        fprintf(stderr, "lzhpack: cannot read %s\n", path);
        free(data);
        data = NULL;
    } else {
        *size = (uint32_t)length;
    }
    fclose(file);
    return data;
}

// Copies text to out with every byte outside printable ASCII shown as '?',
// so that a hostile name cannot drive the terminal.
static void PrintPrintable(const char *text)
{
    for (; *text != '\0'; text++) {
        unsigned char c = (unsigned char)*text;
        putchar(c >= 0x20 && c < 0x7F ? c : '?');
    }
}

int RunList(int argc, char **argv)
{
    if (argc != 1) {
        fprintf(stderr, "usage: lzhpack list ARCHIVE\n");
        return ExitUsage;
    }
    uint32_t size = 0;
    uint8_t *archive = LoadArchive(argv[0], &size);
    if (archive == NULL)
        return ExitUsage;

    printf("method     packed   unpacked  crc   name\n");
    uint32_t offset = 0;
    int status = ExitSound;
    ArchiveEntry entry;
    int result;
    while ((result = ReadArchiveEntry(archive, size, &offset, &entry)) > 0) {
        PrintPrintable(entry.method);
        printf(" %10u %10u  %04X  ", (unsigned)entry.packedSize, (unsigned)entry.unpackedSize,
               (unsigned)entry.storedCrc);
        PrintPrintable(entry.name);
        putchar('\n');
        if (!entry.sumMatches)
            status = ExitFaulty;
    }
    if (result < 0)
        status = ExitFaulty;
    free(archive);
    return status;
}

// Runs ExtractArchive over the archive at path with every member allowed.
static int RunExtraction(const char *path)
{
    uint32_t size = 0;
    uint8_t *archive = LoadArchive(path, &size);
    if (archive == NULL)
        return ExitUsage;
    int sound = ExtractArchive(UINT16_MAX, archive, size);
    free(archive);
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
