#include "platform/text_file.h"

#include "platform/errors.h"
#include "platform/process.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace osyl {

namespace {
constexpr char ctrl_z = 26;
// Large enough that skipping a long line runs at memory speed.
constexpr std::uint64_t chunk_bytes = 1 << 20;
}  // namespace

void TextFile::open(const std::string& path) {
    m_file = FileHandle();
    m_left = m_position = m_filled = 0;
    OpenedFile opened = open_regular_file(path);
    if (opened.error != 0) throw InOutError::from_os_error(opened.error);
    m_file = std::move(opened.file);
    m_left = opened.size;
    m_buffer.resize(static_cast<std::size_t>(std::min(m_left, chunk_bytes)));
}

bool TextFile::fill() {
    if (m_position < m_filled) return true;
    if (m_left == 0 || !m_file) return false;
    // Signals are handled by the event loop; a read of gigabytes must not make them wait.
    if (termination_pending()) throw Halt{0};
    auto want = static_cast<std::size_t>(std::min<std::uint64_t>(m_left, m_buffer.size()));
    ReadSome read = read_some(m_file, std::as_writable_bytes(std::span(m_buffer).first(want)));
    if (read.error != 0) throw InOutError::from_os_error(read.error);
    m_position = 0;
    m_filled = read.got;
    m_left = read.got == 0 ? 0 : m_left - read.got;
    return read.got > 0;
}

// A hole reads as NUL bytes, which hold no line end: skipping it skips nothing that counts.
void TextFile::skip_line() {
    for (;;) {
        if (m_position == m_filled) m_left -= std::min(m_left, skip_hole(m_file));
        if (!fill()) return;
        const char* start = m_buffer.data() + m_position;
        const void* end = std::memchr(start, '\n', m_filled - m_position);
        if (end != nullptr) {
            m_position += static_cast<std::size_t>(static_cast<const char*>(end) - start) + 1;
            return;
        }
        m_position = m_filled;
    }
}

void TextFile::read_line(std::string& line, std::size_t keep) {
    line.clear();
    while (fill()) {
        char byte = m_buffer[m_position++];
        if (byte == '\n') return;
        if (byte == '\r') {
            if (fill() && m_buffer[m_position] == '\n') {
                ++m_position;
                return;
            }
            continue;
        }
        // After a Ctrl-Z, or once the caller has all it keeps, the rest is only skipped.
        if (byte == ctrl_z || line.size() >= keep) return skip_line();
        line += byte;
    }
}

void TextFile::close() {
    int error = m_file.close();
    if (error != 0) throw InOutError::from_os_error(error);
}

}  // namespace osyl
