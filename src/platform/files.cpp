#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <utility>

namespace osyl {

namespace {
std::uint64_t g_open_count = 0;
}

FileHandle::FileHandle(FileHandle&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

FileHandle::~FileHandle() { close(); }

int FileHandle::close() {
    if (m_fd < 0) return 0;
    int result = ::close(std::exchange(m_fd, -1));
    return result == 0 ? 0 : errno;
}

OpenedFile open_regular_file(const std::string& path) {
    OpenedFile opened;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        opened.error = errno;
        return opened;
    }
    FileHandle file(fd);
    ++g_open_count;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        opened.error = errno;
        return opened;
    }
    if (!S_ISREG(info.st_mode)) {
        opened.error = S_ISDIR(info.st_mode) ? EISDIR : EACCES;
        return opened;
    }
    opened.file = std::move(file);
    opened.size = static_cast<std::uint64_t>(info.st_size);
    return opened;
}

ReadResult read_up_to(const FileHandle& file, std::size_t max_bytes) {
    ReadResult result;
    result.bytes.resize(max_bytes);
    std::size_t filled = 0;
    while (filled < max_bytes) {
        ssize_t got = ::read(file.fd(), result.bytes.data() + filled, max_bytes - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            result.error = errno;
            break;
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    result.bytes.resize(filled);
    return result;
}

std::uint64_t file_open_count() { return g_open_count; }

}  // namespace osyl
