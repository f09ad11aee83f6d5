// Program-wide state of the archive reader that the -lh5- decoder shares:
// the decoder takes its input through ArchiveCursor and PackedRemaining and
// leaves its output in WindowBuffer, which is also its dictionary.
#pragma once

#include <stdint.h>

#include "archive/lh5_format.h"

enum {
    WindowSize = DictionarySize,  // the block size: a block fills the whole dictionary
    WindowMask = WindowSize - 1
};

// Next unread byte of the archive.
extern const uint8_t *ArchiveCursor;

// Packed bytes of the current member not yet read.
extern uint32_t PackedRemaining;

// The block buffer; its content must survive from one block to the next
// because the decoder's matches refer back into it.
extern uint8_t WindowBuffer[WindowSize];

// Messages shown during the current ExtractArchive call that mean some
// member was not written whole and sound (the decoder's "Bad table"
// included). Informational messages do not count.
extern uint32_t ArchiveFaults;
