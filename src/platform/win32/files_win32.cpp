#include "platform/files.h"
#include "platform/win32/text_win32.h"

#include <utility>

namespace osyl {

namespace {
HANDLE handle_of(const FileHandle& file) { return reinterpret_cast<HANDLE>(file.native()); }
int last_error() { return static_cast<int>(GetLastError()); }
}  // namespace

int FileHandle::close() {
    if (m_native == none) return 0;
    BOOL closed = CloseHandle(reinterpret_cast<HANDLE>(std::exchange(m_native, none)));
    return closed ? 0 : last_error();
}

// Others may read the file while it is open but not write it; a file another program holds
// open for writing fails with error 32.
OpenedFile open_regular_file(const std::string& path) {
    OpenedFile opened;
    HANDLE handle = CreateFileW(to_utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        opened.error = last_error();
        return opened;
    }
    FileHandle file(reinterpret_cast<FileHandle::Native>(handle));
    count_file_open();
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        opened.error = ERROR_ACCESS_DENIED;  // a pipe or a device would hang or never end
        return opened;
    }
    if (!GetFileSizeEx(handle, &size)) {
        opened.error = last_error();
        return opened;
    }
    opened.file = std::move(file);
    opened.size = static_cast<std::uint64_t>(size.QuadPart);
    return opened;
}

std::uint64_t skip_hole(const FileHandle&) { return 0; }

ReadSome read_some(const FileHandle& file, std::span<std::byte> buffer) {
    DWORD want = buffer.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(buffer.size());
    DWORD got = 0;
    if (!ReadFile(handle_of(file), buffer.data(), want, &got, nullptr)) return {0, last_error()};
    return {got, 0};
}

}  // namespace osyl
