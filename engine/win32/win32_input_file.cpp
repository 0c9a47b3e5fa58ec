// Opened with GENERIC_READ and FILE_SHARE_READ: others may read the file
// while it plays, nobody may write it. Moves pass the high part of the
// distance (always 0), so SetFilePointer takes positions of 2^31 and above
// as the unsigned offsets they are rather than as negative distances.
#include "win32/win32_input_file.h"

#include <windows.h>

bool Win32InputFile::open(const char* path) {
    close();
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = file;
    return true;
}

void Win32InputFile::seek(std::uint32_t position) {
    LONG high = 0;
    SetFilePointer(static_cast<HANDLE>(handle_), static_cast<LONG>(position), &high, FILE_BEGIN);
}

std::uint32_t Win32InputFile::read(void* destination, std::uint32_t count) {
    DWORD delivered = 0;
    if (!ReadFile(static_cast<HANDLE>(handle_), destination, count, &delivered, nullptr)) return 0;
    return delivered;
}

void Win32InputFile::close() {
    if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}
