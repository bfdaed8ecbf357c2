#pragma once

#include <cstdint>
#include <string>

namespace osyl {

// Facts about the running process. Each platform family implements these in its own file
// (process_posix.cpp, process_win32.cpp).

// The running executable's full path, UTF-8; empty when the platform cannot say. Never
// throws: the start-up failure report needs it after anything else has failed.
std::string current_executable_path();

// Notes the name the program was started by (argv[0]) and the start-up directory, for
// when the system cannot say where the executable is. Called first thing in main.
void remember_start(const char* argv0);

// POSIX: what can tell where the executable is, best first.
struct ExecutableClues {
    std::string link;         // the system's own record (/proc/self/exe)
    std::string exec_name;    // the name the system started it by (AT_EXECFN)
    std::string argv0;        // the name the starting program gave
    std::string start_dir;    // what relative names count from
    std::string search_path;  // PATH, for a bare argv[0]
};
// The first clue that names an existing file, made absolute; empty when none does.
std::string executable_from(const ExecutableClues& clues);

// Offset of a code address from the start of the executable image that holds it; 0 when
// unknown.
std::uintptr_t image_offset(const void* code_position);

// True when the user has asked the program to end (SIGTERM, SIGINT) and the event loop has
// not taken the request yet. Long operations look at it between chunks of work.
bool termination_pending();
// Called from the signal handler that watches those signals, and when the loop takes one.
void set_termination_pending(bool pending);

}  // namespace osyl
