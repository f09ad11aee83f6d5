#include "tests/support/decode_stream.h"

#include <string.h>

#include <memory>

#include "archive/archive_state.h"
#include "archive/lh5_decoder.h"

DecodeRun DecodeStream(const std::vector<uint8_t> &stream, size_t size)
{
    DecodeRun run;
    std::unique_ptr<uint8_t[]> exact(new uint8_t[stream.size()]);
    if (!stream.empty())
        memcpy(exact.get(), stream.data(), stream.size());
    ArchiveCursor = exact.get();
    PackedRemaining = (uint32_t)stream.size();
    DecodeStart();
    bool first = true;
    while (run.output.size() < size) {
        size_t count = size - run.output.size();
        if (count > WindowSize)
            count = WindowSize;
        DecodeBytes((uint16_t)count, WindowBuffer);
        run.output.insert(run.output.end(), WindowBuffer, WindowBuffer + count);
        if (first)
            run.cursorAfterFirstCall = (size_t)(ArchiveCursor - exact.get());
        first = false;
    }
    run.cursorAtEnd = (size_t)(ArchiveCursor - exact.get());
    run.remainingAtEnd = PackedRemaining;
    return run;
}
