// The input file seam: the four file operations the reader needs, one call
// each, with a Win32 implementation (engine/win32) and a POSIX one
// (engine/posix) chosen at build time by platform_input_file.h.
#pragma once

#include <cstdint>

class InputFile {
public:
    virtual ~InputFile() = default;

    // Opens an existing file for reading only, letting others read it at the
    // same time but not write it. False if it cannot be opened (missing,
    // empty path, denied, not a file).
    virtual bool open(const char* path) = 0;

    // Moves the file position to an absolute byte position; every 32-bit
    // position is reachable, 2^31 and above included. A failed move is not
    // reported.
    virtual void seek(std::uint32_t position) = 0;

    // Reads up to count bytes at the file position into destination and
    // returns how many arrived; fewer at the end of the file or on an error.
    // Bytes that do not arrive are left untouched.
    virtual std::uint32_t read(void* destination, std::uint32_t count) = 0;

    // Closes the file; no effect when it is not open.
    virtual void close() = 0;
};
