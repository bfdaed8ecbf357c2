#include "support/test_support.h"
#include "platform/errors.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace osyl::test {

#ifdef _WIN32
// Wine's wording differs from Windows'; both come from the system's message table.
std::string no_such_file_text() { return describe_os_error(2); }
#else
std::string no_such_file_text() { return "No such file or directory"; }
#endif

// create_directory reports whether it made the folder, so a name taken meanwhile is skipped.
TempDir::TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() /
                         ("osyl-test-" + std::to_string(random() % 1000000000));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("no fresh temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void write_file(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

#ifdef _WIN32
// The program opens files for reading and lets others only read them.
bool held_open(const std::filesystem::path& path) {
    std::ofstream writer(path, std::ios::binary | std::ios::app);
    return !writer;
}
#else
bool held_open(const std::filesystem::path& path) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        auto target = std::filesystem::read_symlink(entry.path(), error);
        if (!error && std::filesystem::equivalent(target, path, error)) return true;
    }
    return false;
}
#endif

ScopedCwd::ScopedCwd(const std::filesystem::path& dir) : m_old(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
}

ScopedCwd::~ScopedCwd() {
    std::error_code ignored;
    std::filesystem::current_path(m_old, ignored);
}

}  // namespace osyl::test
