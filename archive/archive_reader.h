// The extraction driver: walks the members of an LHA archive held in memory
// and writes each one under InstallFolder, checking its CRC-16 and driving
// the progress bar. Messages, the status text, log lines and progress go
// through support/support.h.
#pragma once

#include <stdint.h>
#include <stdio.h>

// Unpacks at most memberLimit members of the archive (archiveSize bytes,
// never read past) into InstallFolder, each to the folder text followed
// directly by the member's name. Every problem is shown in a message and the
// walk goes on with the next member where the archive allows it. Returns 1
// when every member read was written whole with a matching CRC and no fault
// was shown, 0 otherwise (also when the archive is cut short or malformed,
// which stops the walk). A limit of 0 reads nothing.
int ExtractArchive(uint16_t memberLimit, const uint8_t *archive, uint32_t archiveSize);

// When nonzero, ExtractArchive decodes and checks every member exactly as it
// would when extracting, but opens and writes no file and no log line; the
// status text then reads "Testing NAME". Used by the host tool's test verb
// and by the installer before it writes anything.
extern int ArchiveTestOnly;

// Where replacement names are read from when an output file cannot be
// opened; null means standard input.
extern FILE *ReplacementInput;

// When set, called with each output path just before the extraction opens
// it for writing, so that the caller can note the files it makes. When it
// returns 0 the file is not opened, the member is not written, and the walk
// stops there: ExtractArchive returns 0 without a message of its own.
extern int (*ArchiveOpeningFile)(const char *path);

// The steps of ExtractArchive, for the tests.

// Reads the header at ArchiveCursor. Returns 1 with the cursor on the
// member's packed bytes, 0 at the end mark with the cursor past it, or -1
// after a message when the header is cut short or malformed.
int ReadMemberHeader(void);

// Writes the member whose header was just read and leaves ArchiveCursor on
// the next header.
void ExtractMember(void);

// Writes count bytes of buffer to the output file (showing "Unable to write"
// on a short write) and folds all of them into the running CRC.
void WriteBlock(const uint8_t *buffer, uint16_t count);

// Reads one line from ReplacementInput into name: the first limit characters
// before the line feed or end of input are kept, the rest of the line is
// dropped. Returns the number kept; name is zero-terminated.
uint16_t ReadReplacementName(char *name, uint16_t limit);
