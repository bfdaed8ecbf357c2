#include "platform/paths.h"

#include <unistd.h>

#include <memory>

namespace osyl {

const char path_separator = '/';
const std::string_view folder_ends = "/";

std::string absolute_path(const std::string& path) {
    if (!path.empty() && path.front() == '/') return path;
    struct FreeDeleter {
        void operator()(char* p) const { free(p); }
    };
    std::unique_ptr<char, FreeDeleter> cwd(getcwd(nullptr, 0));
    if (!cwd) return path;
    std::string absolute(cwd.get());
    if (absolute.back() != '/') absolute += '/';
    return absolute + path;
}

}  // namespace osyl
