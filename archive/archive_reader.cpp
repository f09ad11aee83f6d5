#include "archive/archive_reader.h"

#include <string.h>

#include "archive/archive_header.h"
#include "archive/archive_state.h"
#include "archive/crc16.h"
#include "archive/lh5_decoder.h"
#include "support/program_constants.h"
#include "support/settings.h"
#include "support/support.h"
#include "support/text_format.h"

const uint8_t *ArchiveCursor;
uint32_t PackedRemaining;
uint8_t WindowBuffer[WindowSize];
uint32_t ArchiveFaults;

int ArchiveTestOnly;
FILE *ReplacementInput;
int (*ArchiveOpeningFile)(const char *path);

static const uint8_t *ArchiveStart;   // the archive's first byte
static uint32_t ArchiveSize;          // and its length: nothing past it is read
static ArchiveEntry CurrentEntry;     // the member whose header was read last
static char MemberName[MemberNameLimit + 1];  // its name, or the replacement
static uint32_t UnpackedRemaining;    // bytes of the member still to write
static uint16_t StoredCrc;            // CRC-16 from the header
static uint16_t RunningCrc;           // CRC-16 of the bytes produced so far
static FILE *OutputFile;              // null while testing only
static int WalkRefused;               // ArchiveOpeningFile said no: stop

int ExtractArchive(uint16_t memberLimit, const uint8_t *archive, uint32_t archiveSize)
{
    ArchiveStart = archive;
    ArchiveSize = archiveSize;
    ArchiveCursor = archive;
    PackedRemaining = 0;
    ArchiveFaults = 0;
    WalkRefused = 0;

    for (unsigned count = 0; count < memberLimit && !WalkRefused; count++) {
        int header = ReadMemberHeader();
        if (header == 0)
            break;
        if (header < 0)
            return 0;  // where the next member lies is unknown: stop
        ExtractMember();
    }
    return ArchiveFaults == 0;
}

int ReadMemberHeader(void)
{
    uint32_t offset = (uint32_t)(ArchiveCursor - ArchiveStart);
    int result = ReadArchiveEntry(ArchiveStart, ArchiveSize, &offset, &CurrentEntry);
    if (result < 0) {
        ArchiveFaults++;
        return -1;
    }
    if (result == 0) {
        ArchiveCursor = ArchiveStart + offset;
        return 0;
    }
    if (!CurrentEntry.sumMatches)
        ArchiveFaults++;
    ArchiveCursor = ArchiveStart + CurrentEntry.packedOffset;
    PackedRemaining = CurrentEntry.packedSize;
    UnpackedRemaining = CurrentEntry.unpackedSize;
    StoredCrc = CurrentEntry.storedCrc;
    return 1;
}

// Moves ArchiveCursor past the rest of the member's packed bytes.
static void SkipMember(void)
{
    ArchiveCursor += PackedRemaining;
    PackedRemaining = 0;
}

// Joins the null-ended list of parts into buffer (size bytes). Returns 0,
// leaving the buffer's content undefined, when they and the terminator do
// not fit: a long path is refused, never cut into another file's name.
static int JoinTexts(char *buffer, size_t size, const char *const parts[])
{
    size_t used = 0;
    for (int i = 0; parts[i] != NULL; i++) {
        size_t length = strlen(parts[i]);
        if (length >= size - used)
            return 0;
        memcpy(buffer + used, parts[i], length);
        used += length;
    }
    buffer[used] = '\0';
    return 1;
}

// Room for the longest status text: "Extracting ", the longest name, " to "
// and the longest path. It is shown and logged cut to the label's and the
// log's own buffers; only the path decides whether a member can be written.
enum { StatusCompositionSize = 11 + MemberNameLimit + 4 + PathBufferSize };

// Builds the output path (the folder text followed directly by MemberName)
// and the status text. Returns 0 when the path does not fit its buffer.
static int BuildMemberTexts(char *outputPath, char *statusText)
{
    const char *pathParts[] = {InstallFolder, MemberName, NULL};
    if (!JoinTexts(outputPath, PathBufferSize, pathParts))
        return 0;
    const char *extractingParts[] = {"Extracting ", MemberName, " to ", outputPath, NULL};
    const char *testingParts[] = {"Testing ", MemberName, NULL};
    return JoinTexts(statusText, StatusCompositionSize,
                     ArchiveTestOnly ? testingParts : extractingParts);
}

// Opens the output file ("wb": created or truncated), or pretends to when
// only testing. Returns 0 when the file cannot be opened.
static int OpenOutputFile(const char *outputPath)
{
    if (ArchiveTestOnly) {
        OutputFile = NULL;
        return 1;
    }
    OutputFile = fopen(outputPath, "wb");
    return OutputFile != NULL;
}

// Closes the output file. Buffered bytes are written only now, so a failed
// close is a failed write.
static void CloseOutputFile(void)
{
    if (OutputFile == NULL)
        return;
    if (fclose(OutputFile) != 0) {
        MessageBoxFormat("Unable to write");
        ArchiveFaults++;
    }
    OutputFile = NULL;
}

// Finds a name under which the member can be written and opens its file:
// the stored name first, then replacement names read one per line. A name
// that would leave the install folder, or whose path does not fit, is
// refused like a file that cannot be opened. Returns 0 when the
// replacement names run out, or when ArchiveOpeningFile refuses a path.
static int OpenMemberOutput(char *outputPath, char *statusText)
{
    CopyText(MemberName, sizeof MemberName, CurrentEntry.name);
    for (;;) {
        if (!IsPlainMemberName(MemberName))
            MessageBoxFormat("The name %s leads outside the install folder.", MemberName);
        else if (!BuildMemberTexts(outputPath, statusText))
            MessageBoxFormat("The path for %s is too long.", MemberName);
        else if (!ArchiveTestOnly && ArchiveOpeningFile != NULL && !ArchiveOpeningFile(outputPath))
            break;
        else if (OpenOutputFile(outputPath))
            return 1;
        else
            MessageBoxFormat("Can't open %s for writing.", outputPath);
        ArchiveFaults++;
        if (ReadReplacementName(MemberName, MemberNameLimit) == 0)
            return 0;
    }
    ArchiveFaults++;
    WalkRefused = 1;
    return 0;
}

// Skips the extended headers, one message each; their sizes were checked
// when the header was read.
static void SkipExtendedHeaders(void)
{
    uint16_t size = CurrentEntry.firstExtendedSize;
    while (size != 0) {
        MessageBoxFormat("There's an extended header of size %u.", (unsigned)size);
        PackedRemaining -= size;
        ArchiveCursor += size - 2;
        size = ReadLittle16(ArchiveCursor);
        ArchiveCursor += 2;
    }
}

// Produces the member's bytes in blocks of WindowSize, writing each and
// stepping the progress bar after it (the last, short block included).
static void ProduceMemberData(char method)
{
    if (method != '0')
        DecodeStart();
    StartProgress(UnpackedRemaining, WindowSize);
    while (UnpackedRemaining != 0) {
        uint32_t blockSize = WindowSize;
        uint16_t count = (uint16_t)(UnpackedRemaining < blockSize ? UnpackedRemaining : blockSize);
        if (method == '0') {
            memcpy(WindowBuffer, ArchiveCursor, count);
            ArchiveCursor += count;
            PackedRemaining -= count;
        } else {
            DecodeBytes(count, WindowBuffer);
        }
        WriteBlock(WindowBuffer, count);
        StepProgress();
        UnpackedRemaining -= count;
    }
}

void ExtractMember(void)
{
    char outputPath[PathBufferSize];
    char statusText[StatusCompositionSize];

    if (!OpenMemberOutput(outputPath, statusText)) {
        if (!WalkRefused)
            MessageBoxFormat("Not extracted");
        SkipMember();
        return;
    }
    SetStatusText("%s", statusText);
    // Only what is written goes to the log; a test leaves no trace there.
    if (!ArchiveTestOnly)
        SetupLog("%s", statusText);

    RunningCrc = 0;
    char method = AcceptedMethod(&CurrentEntry);
    if (method == 0) {
        MessageBoxFormat("Unknown method: %u", (unsigned)(uint8_t)CurrentEntry.method[3]);
        ArchiveFaults++;
        SkipMember();
    } else {
        SkipExtendedHeaders();
        ProduceMemberData(method);
    }
    CloseOutputFile();
    if (RunningCrc != StoredCrc) {
        MessageBoxFormat("CRC error");
        ArchiveFaults++;
    }

    // A decoded member ends where the decoder's input stopped; for a sound
    // member that is where its header says. When it is not, the bytes there
    // are no header: go on from the member's end instead.
    const uint8_t *memberEnd = ArchiveStart + CurrentEntry.endOffset;
    if (ArchiveCursor != memberEnd) {
        MessageBoxFormat("The packed data of %s does not end where its header says.",
                         CurrentEntry.name);
        ArchiveFaults++;
        ArchiveCursor = memberEnd;
        PackedRemaining = 0;
    }
}

void WriteBlock(const uint8_t *buffer, uint16_t count)
{
    if (OutputFile != NULL && fwrite(buffer, 1, count, OutputFile) < count) {
        MessageBoxFormat("Unable to write");
        ArchiveFaults++;
    }
    RunningCrc = FoldCrc(RunningCrc, buffer, count);
}

uint16_t ReadReplacementName(char *name, uint16_t limit)
{
    FILE *input = ReplacementInput != NULL ? ReplacementInput : stdin;
    uint16_t kept = 0;
    int c;
    while ((c = fgetc(input)) != EOF && c != '\n') {
        if (kept < limit)
            name[kept++] = (char)c;
    }
    name[kept] = '\0';
    return kept;
}
