#pragma once

#include <exception>
#include <string>

namespace osyl {

class Backend;

// The text of the box shown when the program fails before its event loop runs:
// "Exception <type> in module <file> at <offset>.", CR LF, the message, CR LF.
std::string startup_failure_text(const std::exception& error, const std::string& executable_path,
                                 const void* code_position);

// Writes that text to standard error with LF line ends, shows it in an "Application Error"
// box through the backend, or through show_without_backend when there is none, and returns
// the exit status 1.
int report_startup_failure(Backend* backend, const std::exception& error,
                           const std::string& executable_path,
                           void (*show_without_backend)(const std::string& text) = nullptr);

}  // namespace osyl
