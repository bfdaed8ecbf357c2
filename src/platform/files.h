#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace osyl {

// An open file, closed on every path. The handle is the platform's own: a descriptor on
// POSIX, a HANDLE on Windows.
class FileHandle {
public:
    using Native = std::intptr_t;
    static constexpr Native none = -1;

    FileHandle() = default;
    explicit FileHandle(Native native) : m_native(native) {}
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    Native native() const { return m_native; }
    explicit operator bool() const { return m_native != none; }
    // Closes now and returns the platform's error number of a failed close, or 0.
    int close();

private:
    Native m_native = none;
};

struct OpenedFile {
    FileHandle file;
    std::uint64_t size = 0;  // when it was opened
    int error = 0;           // the platform's error number when it could not be opened
};

// Opens an existing file by a UTF-8 path, read-only, letting others read but not write it
// where the platform can say so, and accepts only a regular file: a FIFO or a device would
// hang or never end, a directory cannot be read.
OpenedFile open_regular_file(const std::string& path);

// Reads what is there, up to the buffer's size: 0 bytes at the end of the file.
struct ReadSome {
    std::size_t got = 0;
    int error = 0;  // the platform's error number
};
ReadSome read_some(const FileHandle& file, std::span<std::byte> buffer);

// Moves past a hole (a sparse region of NUL bytes the file system stores as nothing) at
// the current position, where the platform can tell; returns the bytes passed over.
std::uint64_t skip_hole(const FileHandle& file);

// Reads up to max_bytes from the current position, stopping early only at the end.
struct ReadResult {
    std::vector<std::byte> bytes;
    int error = 0;
};
ReadResult read_up_to(const FileHandle& file, std::size_t max_bytes);

// How many files open_regular_file() has opened so far; tests count file access with it.
std::uint64_t file_open_count();
void count_file_open();

}  // namespace osyl
