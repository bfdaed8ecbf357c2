#pragma once

#include <cstdint>
#include <string>

namespace osyl {

// Facts about the running process. Each platform family implements these in its own file
// (process_posix.cpp, process_win32.cpp).

// The running executable's full path, UTF-8; empty when the platform cannot say. Never
// throws: the start-up failure report needs it after anything else has failed.
std::string current_executable_path();

// Offset of a code address from the start of the executable image that holds it; 0 when
// unknown.
std::uintptr_t image_offset(const void* code_position);

// True when the user has asked the program to end (SIGTERM, SIGINT) and the event loop has
// not taken the request yet. Long operations look at it between chunks of work.
bool termination_pending();
// Called from the signal handler that watches those signals, and when the loop takes one.
void set_termination_pending(bool pending);

}  // namespace osyl
