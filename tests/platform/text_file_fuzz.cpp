// libFuzzer entry for the line reader: any file content must give lines of at most the
// kept length, without line-end bytes, and reading past the end must give empty lines.

#include "platform/errors.h"
#include "platform/text_file.h"

#include <sys/mman.h>
#include <unistd.h>
#include <cstdlib>
#include <string>

namespace {

// One in-memory file, rewritten for every input and reopened by path.
int memory_file() {
    static int fd = memfd_create("labels", 0);
    return fd;
}

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int fd = memory_file();
    check(fd >= 0 && ftruncate(fd, 0) == 0);
    check(pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    osyl::TextFile file;
    file.open("/proc/self/fd/" + std::to_string(fd));
    std::string line;
    std::size_t lines_with_text = 0;
    for (int row = 0; row < 12; ++row) {
        file.read_line(line, 10);
        check(line.size() <= 10);
        check(line.find_first_of("\r\n\x1a") == std::string::npos);
        if (!line.empty()) ++lines_with_text;
    }
    check(lines_with_text <= size);
    file.close();
    return 0;
}
