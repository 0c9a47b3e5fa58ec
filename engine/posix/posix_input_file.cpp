// open(2) read-only; lseek(2) with a 64-bit offset so every 32-bit position is
// reachable; read(2) repeated until the count is met, the file ends or an
// error occurs. Only regular files are taken, as on Windows, where a folder
// cannot be opened as a file.
#include "posix/posix_input_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool PosixInputFile::open(const char* path) {
    close();
    if (path == nullptr || path[0] == '\0') return false;
    const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return false;
    }
    descriptor_ = descriptor;
    return true;
}

void PosixInputFile::seek(std::uint32_t position) {
    ::lseek(descriptor_, static_cast<off_t>(position), SEEK_SET);
}

std::uint32_t PosixInputFile::read(void* destination, std::uint32_t count) {
    auto* out = static_cast<unsigned char*>(destination);
    std::uint32_t delivered = 0;
    while (delivered < count) {
        const ssize_t got = ::read(descriptor_, out + delivered, count - delivered);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        delivered += static_cast<std::uint32_t>(got);
    }
    return delivered;
}

void PosixInputFile::close() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
}
