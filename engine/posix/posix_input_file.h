// The input file on POSIX systems, so the reader runs natively against real
// files.
#pragma once

#include "input_file.h"

class PosixInputFile final : public InputFile {
public:
    PosixInputFile() = default;
    PosixInputFile(const PosixInputFile&) = delete;
    PosixInputFile& operator=(const PosixInputFile&) = delete;
    ~PosixInputFile() override { close(); }

    bool open(const char* path) override;
    void seek(std::uint32_t position) override;
    std::uint32_t read(void* destination, std::uint32_t count) override;
    void close() override;

private:
    int descriptor_ = -1;
};
