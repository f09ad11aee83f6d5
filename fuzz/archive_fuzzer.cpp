// libFuzzer target over the archive reader and the -lh5- decoder.
//
// Each input is used twice: as an archive, walked and decoded by
// ExtractArchive exactly as the installer would (testing only: decode and
// CRC check, no file written), and as a bare -lh5- stream decoded for a
// few blocks. libFuzzer hands over a buffer of exactly the input's size,
// so AddressSanitizer stops any read past the archive.
#include <stdint.h>
#include <stdio.h>

#include "archive/archive_header.h"
#include "archive/archive_reader.h"
#include "archive/archive_state.h"
#include "archive/lh5_decoder.h"
#include "support/program_constants.h"
#include "tests/support/capture_support.h"

// Decoding is cheap but not free: an archive whose members claim more than
// this many bytes in all is only walked, not decoded, so that runs stay
// short (a header can claim 4 GiB from a few packed bytes).
static const uint64_t MostBytesDecoded = 1u << 17;
static const unsigned BareStreamBlocks = 2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SupportCapturing = 0;  // nothing is shown, logged or kept
    static FILE *noNames = fopen("/dev/null", "r");
    ReplacementInput = noNames;
    ArchiveTestOnly = 1;
    if (size > 0xFFFFFF)
        return 0;

    // The bytes the members claim in all, as far as the headers can be read.
    if (ArchiveUnpackedSpace(data, (uint32_t)size, ArchiveMemberLimit, 0) <= MostBytesDecoded)
        ExtractArchive(ArchiveMemberLimit, data, (uint32_t)size);

    ArchiveCursor = data;
    PackedRemaining = (uint32_t)size;
    DecodeStart();
    for (unsigned block = 0; block < BareStreamBlocks; block++) {
        DecodeBytes(WindowSize, WindowBuffer);
        if (ArchiveCursor < data || ArchiveCursor > data + size ||
            (size_t)(ArchiveCursor - data) + PackedRemaining != size)
            __builtin_trap();  // the cursor left the stream
    }
    return 0;
}
