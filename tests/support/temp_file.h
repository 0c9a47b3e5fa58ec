// Real files for tests, made in the system's temporary folder and removed
// again when the test is done.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TempFile {
public:
    // A file holding exactly these bytes.
    explicit TempFile(const std::vector<std::uint8_t>& bytes);

    // A sparse file of the given size whose bytes are zero except where
    // patches are written: costs no disk space for its holes.
    struct Patch {
        std::uint64_t position;
        std::vector<std::uint8_t> bytes;
    };
    TempFile(std::uint64_t size, const std::vector<Patch>& patches);

    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const char* path() const { return path_.c_str(); }

    // A path in the temporary folder that names no existing file.
    static std::string missingPath();

private:
    std::string path_;
};

// Bytes 0, 1, 2, ... of a recognisable pattern that does not repeat with a
// short period: byte i is a hash of i, never a plain counter.
std::vector<std::uint8_t> patternBytes(std::size_t count, std::uint32_t seed = 1);
