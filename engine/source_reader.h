// Hands out the bytes of the input file in playback order: from the cursor
// onward and, with a loop, from loopEnd back to loopStart for ever.
#pragma once

#include <cstdint>

#include "input_file.h"
#include "playback_settings.h"

class SourceReader {
public:
    // The addressable positions end here: a 32-bit position reaches byte
    // 2^32 - 1 at most.
    static constexpr std::uint64_t kAddressableEnd = std::uint64_t{1} << 32;

    explicit SourceReader(InputFile& file) : file_(file) {}

    // Opens the file for shared reading. Set cursor, loopStart and loopEnd
    // before reading. False when the file cannot be opened.
    bool open(const char* path) { return file_.open(path); }

    // Writes count bytes of playback-order data into destination and advances
    // the cursor. The caller zero-fills destination first: bytes the file
    // does not deliver (past its end, a failed read) stay zero.
    //  - The loop is a byte range, loopStart included, loopEnd excluded; a
    //    loop is set when loopStart < loopEnd and loopEnd is not kNoLoopEnd.
    //    One call may wrap many times; after one whole pass of the loop has
    //    been read into destination, further passes are copied from there
    //    rather than read again, which gives the same bytes (the file is
    //    held open against writers).
    //  - A cursor at or beyond loopEnd jumps straight to loopStart.
    //  - Without a loop the cursor runs on past the end of the file; past
    //    the last addressable byte it stops at kAddressableEnd and every
    //    later read delivers zeros (it never wraps back to byte 0).
    void readLooped(std::uint8_t* destination, std::uint32_t count);

    // Closes the file.
    void close() { file_.close(); }

    // Position of the next byte to deliver, 0 to kAddressableEnd.
    std::uint64_t cursor = 0;
    std::uint32_t loopStart = 0;
    std::uint32_t loopEnd = kNoLoopEnd;

private:
    // Reads count bytes at position, skipping what lies beyond the
    // addressable end.
    void readAt(std::uint64_t position, std::uint8_t* destination, std::uint64_t count);

    InputFile& file_;
};
