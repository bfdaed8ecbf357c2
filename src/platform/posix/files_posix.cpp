#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace osyl {

namespace {
int fd_of(const FileHandle& file) { return static_cast<int>(file.native()); }
}  // namespace

int FileHandle::close() {
    if (m_native == none) return 0;
    int result = ::close(static_cast<int>(std::exchange(m_native, none)));
    return result == 0 ? 0 : errno;
}

// POSIX has no share modes: another program may write the file while it is read.
OpenedFile open_regular_file(const std::string& path) {
    OpenedFile opened;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        opened.error = errno;
        return opened;
    }
    FileHandle file(fd);
    count_file_open();
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

std::uint64_t skip_hole(const FileHandle& file) {
    off_t here = ::lseek(fd_of(file), 0, SEEK_CUR);
    if (here < 0) return 0;
    off_t data = ::lseek(fd_of(file), here, SEEK_DATA);
    if (data < 0 && errno == ENXIO) data = ::lseek(fd_of(file), 0, SEEK_END);  // holes to the end
    if (data < here) {
        ::lseek(fd_of(file), here, SEEK_SET);
        return 0;
    }
    return static_cast<std::uint64_t>(data - here);
}

ReadSome read_some(const FileHandle& file, std::span<std::byte> buffer) {
    for (;;) {
        ssize_t got = ::read(fd_of(file), buffer.data(), buffer.size());
        if (got >= 0) return {static_cast<std::size_t>(got), 0};
        if (errno != EINTR) return {0, errno};
    }
}

}  // namespace osyl
