#pragma once

#include <stdexcept>
#include <string>

namespace osyl {

// How errors travel, on every platform:
// - A failure the user should see throws an AppError; what() is the exact text shown.
// - Only the event loops catch them: each event and each timer tick runs under the
//   application's guard, which shows the error as a modal report under the application
//   title (with a full stop appended by report_text) and carries on with the next event.
//   The failed handler is abandoned where it threw; nothing is rolled back.
// - The loop's wait for the next event runs under the same guard: an AppError from it
//   becomes a report and the loop goes on. Whatever escapes the loop all the same is
//   written to standard error, one line, and ends the program with status 1.
// - Reports nest (a tick can fail during a report) up to a fixed depth; past it an error
//   is written to standard error, one line, instead of opening yet another box; a wait
//   that fails there escapes the loop, since it would only fail again at once.
// - Before the event loop runs, the entry point catches instead: the start-up failure
//   box ("Application Error") and the same text on standard error, then exit status 1.
// - Halt is not an AppError: it passes every guard and ends the program with its status.
// - Display faults the user cannot act on are not reports: a protocol error writes one
//   line on standard error and the program goes on; a lost display connection writes one
//   line and ends the program with status 0, as at log-off.
// - Closing files: a failed close of the label file raises InOutError; a skin file's close
//   raises nothing, since its bytes have all been read by then.

// Every failure the user may see derives from AppError; what() is the text of the report.
class AppError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    // The class name shown by the start-up failure box ("Exception <type> in module ...").
    virtual const char* type_name() const { return "Exception"; }
};

// File operations on the label file: message chosen by the error number.
class InOutError : public AppError {
public:
    explicit InOutError(int code);
    int code() const { return m_code; }
    const char* type_name() const override { return "EInOutError"; }
    // Maps the platform's error number onto the numbering that the message table uses.
    static InOutError from_os_error(int err);

private:
    InOutError(int code, const std::string& message);
    int m_code;
};

// A file that cannot be opened ("Cannot open file ...").
class FileOpenError : public AppError {
public:
    using AppError::AppError;
    const char* type_name() const override { return "EFOpenError"; }
};

// A BMP file with a bad signature, bad fields or sizes past the caps.
class InvalidGraphic : public AppError {
public:
    InvalidGraphic() : AppError("Bitmap image is not valid") {}
    const char* type_name() const override { return "EInvalidGraphic"; }
};

// A file that ends before a structure that must be read whole.
class StreamReadError : public AppError {
public:
    StreamReadError() : AppError("Stream read error") {}
    const char* type_name() const override { return "EReadError"; }
};

// An operating-system failure with the platform's error number:
// "System Error.  Code: N.\r\n<description>", after "<step>.\r\n" when the failed step is
// named. A failure that comes without a number (0, which the platform describes as success)
// names only the step.
class SystemError : public AppError {
public:
    explicit SystemError(int err, const std::string& step = "");
    int code() const { return m_code; }
    const char* type_name() const override { return "EOSError"; }

private:
    int m_code;
};

// The display cannot be used (no connection, unsuitable visual).
class DisplayError : public AppError {
public:
    using AppError::AppError;
    const char* type_name() const override { return "EDisplayError"; }
};

// Thrown to end the program from inside a handler. Deliberately not a std::exception,
// so the per-event catch that shows error reports lets it through to the entry point.
struct Halt {
    int status = 0;
};

// The message for an input/output error number, as the label file reports it.
std::string io_error_message(int code);

// The platform's description of its error number, with trailing spaces, control
// characters and full stops removed.
std::string describe_os_error(int err);

// The platform's error number for "not enough memory", which the pixel budget reports.
int out_of_memory_error();

// The text an error shows: its own, or for memory running out the platform's report of it,
// the same as for a picture past the pixel budget.
std::string message_of(const std::exception& error);

// Strips trailing spaces, control characters and full stops.
std::string trim_description(std::string text);

// The text an error report shows: a "." is appended unless the text is empty or its
// last byte is "." or sorts before it.
std::string report_text(const std::string& message);

}  // namespace osyl
