#pragma once

#include <stdexcept>
#include <string>

namespace osyl {

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
    // Maps a POSIX errno onto the numbering that the message table uses.
    static InOutError from_errno(int err);

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

// An operating-system failure with its errno: "System Error.  Code: N.\r\n<description>".
class SystemError : public AppError {
public:
    explicit SystemError(int err);
    int code() const { return m_code; }
    const char* type_name() const override { return "EOSError"; }

private:
    int m_code;
};

// A platform resource that ran out at start-up, such as the timer.
class OutOfResources : public AppError {
public:
    using AppError::AppError;
    const char* type_name() const override { return "EOutOfResources"; }
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

// strerror(err) with trailing spaces, control characters and full stops removed.
std::string describe_errno(int err);

// Strips trailing spaces, control characters and full stops.
std::string trim_description(std::string text);

// The text an error report shows: a "." is appended unless the text is empty or its
// last byte is "." or sorts before it.
std::string report_text(const std::string& message);

}  // namespace osyl
