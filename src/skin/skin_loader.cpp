#include "skin/skin_loader.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "skin/bmp_reader.h"
#include "skin/skin_path.h"

#include <algorithm>

namespace osyl {

namespace {

// Enough for the file header, any usual information header and a full colour table.
constexpr std::uint64_t head_bytes = 4096;

}  // namespace

Picture load_skin_picture(std::string_view exe_path, std::string_view relative_name) {
    std::string path = absolute_path(skin_file_path(exe_path, relative_name));
    OpenedFile opened = open_regular_file(path);
    if (opened.error != 0)
        throw FileOpenError("Cannot open file \"" + path + "\". " +
                            describe_os_error(opened.error));
    // The headers first, then only as much of the file as they say will be used.
    ReadResult read = read_up_to(opened.file, std::min<std::uint64_t>(opened.size, head_bytes));
    if (read.error == 0) {
        auto needed = static_cast<std::size_t>(bmp_bytes_needed(read.bytes, opened.size));
        if (needed > read.bytes.size()) {
            ReadResult rest = read_up_to(opened.file, needed - read.bytes.size());
            read.error = rest.error;
            read.bytes.insert(read.bytes.end(), rest.bytes.begin(), rest.bytes.end());
        }
    }
    opened.file.close();
    if (read.error != 0) throw SystemError(read.error);
    return decode_bmp(read.bytes);
}

}  // namespace osyl
