#include "platform/process.h"

#include <dlfcn.h>
#include <signal.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace osyl {

namespace {

struct StartClues {
    std::string argv0;
    std::string dir;
};

StartClues& start_clues() {
    static StartClues clues;
    return clues;
}

std::string link_target(const char* link) {
    // readlink does not say whether it truncated, so grow until the link fits with room.
    for (std::size_t size = 256; size <= (1U << 20); size *= 2) {
        std::vector<char> buffer(size);
        ssize_t length = ::readlink(link, buffer.data(), buffer.size());
        if (length < 0) return {};
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
    }
    return {};
}

std::string working_directory() {
    std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
    return cwd ? std::string(cwd.get()) : std::string();
}

// A relative name counts from the start-up directory, which must then be known.
std::string existing_file(const std::string& name, const std::string& dir) {
    if (name.empty() || (name.front() != '/' && dir.empty())) return {};
    std::filesystem::path path =
        name.front() == '/' ? std::filesystem::path(name) : std::filesystem::path(dir) / name;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return {};
    return path.lexically_normal().string();
}

// A name without a slash was found on PATH by whoever started the program.
std::string on_search_path(const std::string& name, const std::string& search_path,
                           const std::string& dir) {
    std::size_t start = 0;
    while (start <= search_path.size()) {
        std::size_t end = std::min(search_path.find(':', start), search_path.size());
        std::string folder = search_path.substr(start, end - start);
        std::string found = existing_file((folder.empty() ? "." : folder) + "/" + name, dir);
        if (!found.empty()) return found;
        start = end + 1;
    }
    return {};
}

}  // namespace

std::string executable_from(const ExecutableClues& clues) {
    if (!clues.link.empty()) return clues.link;
    std::string found = existing_file(clues.exec_name, clues.start_dir);
    if (!found.empty() || clues.argv0.empty()) return found;
    if (clues.argv0.find('/') != std::string::npos)
        return existing_file(clues.argv0, clues.start_dir);
    return on_search_path(clues.argv0, clues.search_path, clues.start_dir);
}

void remember_start(const char* argv0) {
    start_clues() = {argv0 != nullptr ? argv0 : "", working_directory()};
}

// Without /proc, or past the system's path length limit, /proc/self/exe says nothing.
std::string current_executable_path() {
    const StartClues& start = start_clues();
    const auto* exec_name = reinterpret_cast<const char*>(getauxval(AT_EXECFN));
    const char* search_path = std::getenv("PATH");
    return executable_from({link_target("/proc/self/exe"), exec_name != nullptr ? exec_name : "",
                            start.argv0, start.dir, search_path != nullptr ? search_path : ""});
}

std::uintptr_t image_offset(const void* code_position) {
    Dl_info info{};
    if (dladdr(code_position, &info) == 0 || info.dli_fbase == nullptr) return 0;
    return reinterpret_cast<std::uintptr_t>(code_position) -
           reinterpret_cast<std::uintptr_t>(info.dli_fbase);
}

namespace {

volatile sig_atomic_t termination_requested = 0;

}  // namespace

void set_termination_pending(bool pending) { termination_requested = pending ? 1 : 0; }

// The handler notes the request; a caller that blocks the signals instead sees it pending.
bool termination_pending() {
    if (termination_requested != 0) return true;
    sigset_t pending;
    if (sigpending(&pending) != 0) return false;
    return sigismember(&pending, SIGTERM) == 1 || sigismember(&pending, SIGINT) == 1;
}

}  // namespace osyl
