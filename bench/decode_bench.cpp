// Decode benchmark: decodes one LHA archive held in memory with our reader
// and decoder (ExtractArchive testing only: decode and CRC check, no file)
// and, in the same run, with libarchive and lhasa (each also checking the
// CRC), and prints MB/s of output for each and our ratio to each peer.
//
// usage: decode_bench ARCHIVE [ROUNDS [ONLY]]
// Each round runs every decoder once, in turn; the best round counts. ONLY
// (ours, libarchive or lhasa) runs just that decoder, for profiling.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <archive.h>
#include <archive_entry.h>
#include <lhasa.h>

#include "archive/archive_header.h"
#include "archive/archive_reader.h"
#include "tests/support/capture_support.h"
#include "tools/host/whole_file.h"

typedef struct Buffer {
    const uint8_t *data;
    size_t size;
    size_t offset;
} Buffer;

static double NowSeconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

// Ours: every member decoded and CRC-checked. Returns the bytes produced,
// or 0 when the archive was not sound.
static uint64_t DecodeOurs(const Buffer *archive, uint64_t unpackedTotal)
{
    int sound = ExtractArchive(UINT16_MAX, archive->data, (uint32_t)archive->size);
    return sound ? unpackedTotal : 0;
}

static uint64_t DecodeLibarchive(const Buffer *archive)
{
    static char out[65536];
    struct archive *reader = archive_read_new();
    archive_read_support_format_lha(reader);
    uint64_t produced = 0;
    if (archive_read_open_memory(reader, archive->data, archive->size) != ARCHIVE_OK) {
        fprintf(stderr, "libarchive: %s\n", archive_error_string(reader));
        archive_read_free(reader);
        return 0;
    }
    struct archive_entry *entry;
    int status;
    while ((status = archive_read_next_header(reader, &entry)) == ARCHIVE_OK) {
        la_ssize_t got;
        while ((got = archive_read_data(reader, out, sizeof out)) > 0)
            produced += (uint64_t)got;
        if (got < 0) {
            fprintf(stderr, "libarchive: %s\n", archive_error_string(reader));
            produced = 0;
            break;
        }
    }
    archive_read_free(reader);
    return produced;
}

static int ReadFromBuffer(void *handle, void *into, size_t length)
{
    Buffer *buffer = (Buffer *)handle;
    size_t left = buffer->size - buffer->offset;
    if (length > left)
        length = left;
    memcpy(into, buffer->data + buffer->offset, length);
    buffer->offset += length;
    return (int)length;
}

static int SkipInBuffer(void *handle, size_t length)
{
    Buffer *buffer = (Buffer *)handle;
    if (length > buffer->size - buffer->offset)
        return 0;
    buffer->offset += length;
    return 1;
}

static uint64_t DecodeLhasa(const Buffer *archive)
{
    static const LHAInputStreamType memoryStream = {ReadFromBuffer, SkipInBuffer, NULL};
    Buffer cursor = *archive;
    cursor.offset = 0;
    LHAInputStream *stream = lha_input_stream_new(&memoryStream, &cursor);
    LHAReader *reader = lha_reader_new(stream);
    uint64_t produced = 0;
    LHAFileHeader *header;
    while ((header = lha_reader_next_file(reader)) != NULL) {
        if (strcmp(header->compress_method, LHA_COMPRESS_TYPE_DIR) == 0)
            continue;
        if (!lha_reader_check(reader, NULL, NULL)) {
            fprintf(stderr, "lhasa: CRC error in %s\n", header->filename);
            produced = 0;
            break;
        }
        produced += header->length;
    }
    lha_reader_free(reader);
    lha_input_stream_free(stream);
    return produced;
}

int main(int argc, char **argv)
{
    SupportCapturing = 0;  // only decoding is timed: messages are counted, not kept
    if (argc < 2 || argc > 4) {
        fprintf(stderr, "usage: decode_bench ARCHIVE [ROUNDS [ours|libarchive|lhasa]]\n");
        return 2;
    }
    int rounds = argc >= 3 ? atoi(argv[2]) : 7;
    const char *only = argc == 4 ? argv[3] : NULL;
    if (rounds < 1)
        rounds = 1;
    std::vector<uint8_t> file;
    if (!ReadWholeFile(argv[1], &file) || file.empty() || file.size() > 0xFFFFFFFFu) {
        fprintf(stderr, "decode_bench: cannot load %s\n", argv[1]);
        return 2;
    }
    const uint8_t *data = file.data();
    size_t size = file.size();
    Buffer archive = {data, size, 0};

    // The bytes every decoder must produce: the members' unpacked sizes.
    uint64_t unpackedTotal = 0;
    unsigned members = 0;
    uint32_t offset = 0;
    ArchiveEntry entry;
    while (ReadArchiveEntry(data, (uint32_t)size, &offset, &entry) > 0) {
        if (AcceptedMethod(&entry) != 0) {
            unpackedTotal += entry.unpackedSize;
            members++;
        }
    }

    FILE *noNames = fopen("/dev/null", "r");
    ReplacementInput = noNames;
    ArchiveTestOnly = 1;

    const char *names[3] = {"ours (kest_archive)", "libarchive", "lhasa"};
    const char *keys[3] = {"ours", "libarchive", "lhasa"};
    double best[3] = {1e30, 1e30, 1e30};
    int failed = 0;
    for (int round = 0; round < rounds; round++) {
        for (int which = 0; which < 3; which++) {
            if (only != NULL && strcmp(only, keys[which]) != 0)
                continue;
            double start = NowSeconds();
            uint64_t produced = which == 0   ? DecodeOurs(&archive, unpackedTotal)
                                : which == 1 ? DecodeLibarchive(&archive)
                                             : DecodeLhasa(&archive);
            double seconds = NowSeconds() - start;
            if (produced != unpackedTotal) {
                fprintf(stderr, "%s produced %llu bytes, expected %llu\n", names[which],
                        (unsigned long long)produced, (unsigned long long)unpackedTotal);
                failed = 1;
            }
            if (seconds < best[which])
                best[which] = seconds;
        }
    }

    printf("archive: %s, %zu bytes packed, %u members, %llu bytes unpacked, best of %d rounds\n",
           argv[1], size, members, (unsigned long long)unpackedTotal, rounds);
    double rate[3];
    for (int which = 0; which < 3; which++) {
        rate[which] = (double)unpackedTotal / best[which] / 1e6;
        printf("  %-22s %8.1f MB/s  (%.2f ms)\n", names[which], rate[which], best[which] * 1e3);
    }
    double fastestPeer = rate[1] > rate[2] ? rate[1] : rate[2];
    printf("  ours / libarchive      %8.2f\n", rate[0] / rate[1]);
    printf("  ours / lhasa           %8.2f\n", rate[0] / rate[2]);
    printf("  ours / fastest peer    %8.2f\n", rate[0] / fastestPeer);
    if (SupportMessageCount > 0)
        printf("  (our reader showed %u messages over all rounds; extended-header notes count)\n",
               SupportMessageCount);
    fclose(noNames);
    return failed ? 1 : 0;
}
