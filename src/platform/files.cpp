#include "platform/files.h"

#include <utility>

namespace osyl {

namespace {
std::uint64_t g_open_count = 0;
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : m_native(std::exchange(other.m_native, none)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        m_native = std::exchange(other.m_native, none);
    }
    return *this;
}

FileHandle::~FileHandle() { close(); }

ReadResult read_up_to(const FileHandle& file, std::size_t max_bytes) {
    ReadResult result;
    result.bytes.resize(max_bytes);
    std::size_t filled = 0;
    while (filled < max_bytes) {
        ReadSome read = read_some(file, std::span(result.bytes).subspan(filled));
        result.error = read.error;
        if (read.error != 0 || read.got == 0) break;
        filled += read.got;
    }
    result.bytes.resize(filled);
    return result;
}

std::uint64_t file_open_count() { return g_open_count; }
void count_file_open() { ++g_open_count; }

}  // namespace osyl
