#pragma once

#include "platform/files.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace osyl {

// A text file read line by line: a line ends at LF or CR LF, a lone CR is dropped, Ctrl-Z
// ends the line's text, and reading at the end gives empty lines. Lines may be of any
// length; only the first `keep` bytes of each are stored, the rest is skipped in large
// reads. The file is read no further than the size it had when opened, so a file that
// never ends (a procfs file reports size 0) reads as empty. A terminating signal that
// arrives during a long read ends the program (Halt). Failures throw InOutError.
class TextFile {
public:
    // Opens an existing regular file read-only.
    void open(const std::string& path);
    // Reads the next line into line (without its end).
    void read_line(std::string& line, std::size_t keep = std::string::npos);
    // Closes the file; a failure to close is reported.
    void close();

private:
    // Makes at least one unread byte available; false at the end of the file.
    bool fill();
    // Skips past the next line end.
    void skip_line();

    FileHandle m_file;
    std::uint64_t m_left = 0;  // bytes of the opened size not read yet
    std::vector<char> m_buffer;
    std::size_t m_position = 0;
    std::size_t m_filled = 0;
};

}  // namespace osyl
