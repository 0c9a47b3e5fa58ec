#include "source_reader.h"

#include <algorithm>
#include <cstring>

void SourceReader::readAt(std::uint64_t position, std::uint8_t* destination, std::uint64_t count) {
    if (position >= kAddressableEnd || count == 0) return;
    const std::uint64_t readable = std::min(count, kAddressableEnd - position);
    // Every read is preceded by an absolute move, even when the file position
    // already stands there: a failed earlier read leaves it anywhere.
    file_.seek(static_cast<std::uint32_t>(position));
    file_.read(destination, static_cast<std::uint32_t>(readable));
}

void SourceReader::readLooped(std::uint8_t* destination, std::uint32_t count) {
    std::uint8_t* out = destination;
    std::uint64_t remaining = count;
    const bool looping = loopStart < loopEnd && loopEnd != kNoLoopEnd;

    if (!looping) {
        readAt(cursor, out, remaining);
        cursor = std::min(cursor + remaining, kAddressableEnd);
        return;
    }

    // Runs up to the loop end, jumping back each time it is reached. 64-bit
    // sums, so a loop end near 2^32 is still reached. passStart marks where
    // the latest pass from loopStart began in the output.
    const std::uint8_t* passStart = nullptr;
    while (remaining > 0) {
        if (cursor >= loopEnd) {
            if (passStart != nullptr) break;  // a whole pass lies at passStart
            cursor = loopStart;
            passStart = out;
            continue;
        }
        const std::uint64_t run = std::min(remaining, loopEnd - cursor);
        readAt(cursor, out, run);
        out += run;
        remaining -= run;
        cursor += run;
    }
    if (remaining == 0) return;

    // The rest of the call repeats that pass: copy it forward instead of
    // reading the file again, doubling the copied stretch each time. The
    // stretch behind the output is always a whole number of passes, so
    // every copy starts on a pass boundary.
    const std::uint64_t loopLength = loopEnd - loopStart;
    const std::uint64_t tail = remaining;
    std::uint64_t available = loopLength;
    std::uint64_t copied = 0;
    while (copied < tail) {
        const std::uint64_t chunk = std::min(available, tail - copied);
        std::memcpy(out + copied, passStart, static_cast<std::size_t>(chunk));
        copied += chunk;
        available += chunk;
    }
    // Where reading the passes one by one would have left the cursor: at the
    // loop end when the call ends exactly on a pass boundary.
    cursor = loopStart + (tail - 1) % loopLength + 1;
}
