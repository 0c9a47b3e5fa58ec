#include "support/temp_file.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Names carry the process id, the time of the first call and a counter: a
// process id alone is reused (Wine hands out small ones again and again),
// and a file left behind by an interrupted run must not be taken for ours.
std::string uniquePath() {
    static std::atomic<unsigned> counter{0};
    static const auto started = std::chrono::steady_clock::now().time_since_epoch().count() ^
                                std::chrono::system_clock::now().time_since_epoch().count();
    const auto folder = std::filesystem::temp_directory_path();
#ifdef _WIN32
    const unsigned long process = GetCurrentProcessId();
#else
    const unsigned long process = static_cast<unsigned long>(getpid());
#endif
    const std::string name = "quorvel-test-" + std::to_string(process) + "-" + std::to_string(started) + "-" +
                             std::to_string(counter++) + ".raw";
    return (folder / name).string();
}

void writeAt(const std::string& path, std::uint64_t size, const std::vector<TempFile::Patch>& patches) {
#ifdef _WIN32
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    for (const auto& patch : patches) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(patch.position);
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
        DWORD written = 0;
        WriteFile(file, patch.bytes.data(), static_cast<DWORD>(patch.bytes.size()), &written, nullptr);
    }
    CloseHandle(file);
#else
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (file < 0) throw std::runtime_error("cannot create " + path);
    if (::ftruncate(file, static_cast<off_t>(size)) != 0) throw std::runtime_error("cannot size " + path);
    for (const auto& patch : patches) {
        if (::pwrite(file, patch.bytes.data(), patch.bytes.size(), static_cast<off_t>(patch.position)) !=
            static_cast<ssize_t>(patch.bytes.size()))
            throw std::runtime_error("cannot write " + path);
    }
    ::close(file);
#endif
}

}  // namespace

TempFile::TempFile(const std::vector<std::uint8_t>& bytes) : path_(uniquePath()) {
    writeAt(path_, bytes.size(), {{0, bytes}});
}

TempFile::TempFile(std::uint64_t size, const std::vector<Patch>& patches) : path_(uniquePath()) {
    writeAt(path_, size, patches);
}

TempFile::~TempFile() { std::remove(path_.c_str()); }

std::string TempFile::missingPath() { return uniquePath(); }

std::vector<std::uint8_t> patternBytes(std::size_t count, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t x = static_cast<std::uint32_t>(i) * 2654435761u + seed * 40503u;
        x ^= x >> 15;
        x *= 2246822519u;
        x ^= x >> 13;
        bytes[i] = static_cast<std::uint8_t>(x >> 24);
    }
    return bytes;
}
