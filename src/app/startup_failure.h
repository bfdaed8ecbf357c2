#pragma once

#include <exception>
#include <string>

namespace osyl {

class Backend;

// The text of the box shown when the program fails before its event loop runs:
// "Exception <type> in module <file> at <offset>.", CR LF, the message, CR LF.
std::string startup_failure_text(const std::exception& error, const std::string& executable_path,
                                 const void* code_position);

// Shows that text in an "Application Error" box when a display is open, writes it to
// standard error with LF line ends, and returns the exit status 1.
int report_startup_failure(Backend* backend, const std::exception& error,
                           const std::string& executable_path);

}  // namespace osyl
