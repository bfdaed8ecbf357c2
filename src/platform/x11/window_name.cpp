#include "platform/x11/window_name.h"

#include "platform/posix/box_layout.h"

namespace osyl::x11 {

std::string latin1_name(std::string_view utf8) {
    std::string out;
    for (char32_t c : posix::decode_utf8(utf8)) out += c <= 0xFF ? static_cast<char>(c) : '?';
    return out;
}

std::string valid_utf8(std::string_view text) {
    std::string out;
    for (char32_t c : posix::decode_utf8(text, U'\uFFFD')) {
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        constexpr unsigned char lead_marks[] = {0, 0xC0, 0xE0, 0xF0};
        out += static_cast<char>(lead_marks[extra] | (c >> (6 * extra)));
        for (int shift = 6 * (extra - 1); shift >= 0; shift -= 6)
            out += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
    }
    return out;
}

}  // namespace osyl::x11
