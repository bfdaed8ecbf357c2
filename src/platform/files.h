#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace osyl {

// An open file descriptor, closed on every path.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : m_fd(fd) {}
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    int fd() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    // Closes now and returns the errno of a failed close(), or 0.
    int close();

private:
    int m_fd = -1;
};

struct OpenedFile {
    FileHandle file;
    std::uint64_t size = 0;
    int error = 0;  // errno when the file could not be opened
};

// Opens an existing file read-only and non-blocking, and accepts it only if it is a
// regular file: a FIFO or a device would hang or never end, so it fails with EACCES
// (EISDIR for a directory).
OpenedFile open_regular_file(const std::string& path);

// Reads up to max_bytes from the current position; returns errno in error on failure.
struct ReadResult {
    std::vector<std::byte> bytes;
    int error = 0;
};
ReadResult read_up_to(const FileHandle& file, std::size_t max_bytes);

// How many files open_regular_file() has opened so far; tests count file access with it.
std::uint64_t file_open_count();

}  // namespace osyl
