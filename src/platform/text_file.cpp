#include "platform/text_file.h"

#include "platform/errors.h"

#include <unistd.h>
#include <cerrno>

namespace osyl {

namespace {
constexpr int ctrl_z = 26;
}

void TextFile::open(const std::string& path) {
    m_file = FileHandle();
    m_position = m_filled = 0;
    OpenedFile opened = open_regular_file(path);
    if (opened.error != 0) throw InOutError::from_errno(opened.error);
    m_file = std::move(opened.file);
}

int TextFile::peek_byte() {
    if (m_position == m_filled) {
        if (!m_file) return -1;
        ssize_t got;
        do {
            got = ::read(m_file.fd(), m_buffer.data(), m_buffer.size());
        } while (got < 0 && errno == EINTR);
        if (got < 0) throw InOutError::from_errno(errno);
        m_position = 0;
        m_filled = static_cast<std::size_t>(got);
        if (got == 0) return -1;
    }
    return static_cast<unsigned char>(m_buffer[m_position]);
}

int TextFile::next_byte() {
    int byte = peek_byte();
    if (byte >= 0) ++m_position;
    return byte;
}

void TextFile::read_line(std::string& line, std::size_t keep) {
    line.clear();
    bool text_ended = false;  // after a Ctrl-Z the rest of the line is skipped
    for (int byte = next_byte(); byte >= 0 && byte != '\n'; byte = next_byte()) {
        if (byte == '\r') {
            if (peek_byte() == '\n') {
                ++m_position;
                return;
            }
            continue;
        }
        if (byte == ctrl_z) text_ended = true;
        if (!text_ended && line.size() < keep) line += static_cast<char>(byte);
    }
}

void TextFile::close() {
    int error = m_file.close();
    if (error != 0) throw InOutError::from_errno(error);
}

}  // namespace osyl
