// Runs the decoder directly over a packed stream held in an exact-size heap
// buffer (so that a read past it is caught), in calls of 8192 bytes.
#pragma once

#include <stddef.h>

#include "tests/unit/archive/archive_builder.h"

struct DecodeRun {
    Bytes output;
    size_t cursorAfterFirstCall = 0;   // ArchiveCursor - start
    size_t cursorAtEnd = 0;
    size_t remainingAtEnd = 0;         // PackedRemaining
};

DecodeRun DecodeStream(const Bytes &stream, size_t size);
