// The input file on Windows: CreateFileA, SetFilePointer, ReadFile,
// CloseHandle.
#pragma once

#include "input_file.h"

class Win32InputFile final : public InputFile {
public:
    Win32InputFile() = default;
    Win32InputFile(const Win32InputFile&) = delete;
    Win32InputFile& operator=(const Win32InputFile&) = delete;
    ~Win32InputFile() override { close(); }

    bool open(const char* path) override;
    void seek(std::uint32_t position) override;
    std::uint32_t read(void* destination, std::uint32_t count) override;
    void close() override;

private:
    // The file's HANDLE, kept as a pointer so this header needs no
    // windows.h; null when closed.
    void* handle_ = nullptr;
};
