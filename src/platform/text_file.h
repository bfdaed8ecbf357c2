#pragma once

#include "platform/files.h"

#include <array>
#include <cstddef>
#include <string>

namespace osyl {

// A text file read line by line: a line ends at LF or CR LF, a lone CR is dropped, Ctrl-Z
// ends the line's text, and reading at the end gives empty lines. Lines may be of any
// length; only the first `keep` bytes of each are stored, the rest is skipped as it streams
// past. Failures throw InOutError.
class TextFile {
public:
    // Opens an existing regular file read-only.
    void open(const std::string& path);
    // Reads the next line into line (without its end).
    void read_line(std::string& line, std::size_t keep = std::string::npos);
    // Closes the file; a failure to close is reported.
    void close();
    bool is_open() const { return static_cast<bool>(m_file); }

private:
    // The next byte, or -1 at the end of the file.
    int next_byte();
    int peek_byte();

    FileHandle m_file;
    std::array<char, 4096> m_buffer{};
    std::size_t m_position = 0;
    std::size_t m_filled = 0;
};

}  // namespace osyl
