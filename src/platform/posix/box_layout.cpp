#include "platform/posix/box_layout.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace osyl::posix {

namespace {

constexpr int margin = 16;
constexpr int icon_size = 32;
constexpr int icon_gap = 12;
constexpr int button_width = 75;
constexpr int button_height = 23;
constexpr int min_width = 180;

void wrap_line(std::u32string line, std::size_t max_chars, std::vector<std::u32string>& out) {
    while (line.size() > max_chars) {
        std::size_t cut = line.rfind(U' ', max_chars);
        if (cut == std::u32string::npos || cut == 0) {
            out.push_back(line.substr(0, max_chars));
            line.erase(0, max_chars);
        } else {
            out.push_back(line.substr(0, cut));
            line.erase(0, cut + 1);
        }
    }
    out.push_back(line);
}

// The length of the UTF-8 sequence a lead byte starts and the smallest code point it may
// carry (anything below is overlong); 0 for a byte that cannot lead.
struct Lead {
    int length;
    char32_t minimum;
};

Lead lead_of(unsigned char byte) {
    if (byte < 0x80) return {1, 0};
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80};
    if (byte >= 0xE0 && byte <= 0xEF) return {3, 0x800};
    if (byte >= 0xF0 && byte <= 0xF4) return {4, 0x10000};
    return {0, 0};
}

// Decodes the sequence at the start of the text; nothing when it is not valid.
std::optional<char32_t> decode_one(std::string_view text, int length, char32_t minimum) {
    if (length == 0 || text.size() < static_cast<std::size_t>(length)) return std::nullopt;
    auto first = static_cast<unsigned char>(text[0]);
    char32_t c = length == 1 ? first : first & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        auto byte = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
        if ((byte & 0xC0) != 0x80) return std::nullopt;
        c = c << 6 | (byte & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    return c;
}

}  // namespace

std::u32string decode_utf8(std::string_view text, char32_t replacement) {
    std::u32string out;
    while (!text.empty()) {
        Lead lead = lead_of(static_cast<unsigned char>(text[0]));
        std::optional<char32_t> c = decode_one(text, lead.length, lead.minimum);
        out += c.value_or(replacement);
        text.remove_prefix(c ? static_cast<std::size_t>(lead.length) : 1);
    }
    return out;
}

std::uint16_t FontCoverage::code(char32_t c) const {
    auto byte1 = static_cast<int>(c >> 8);
    auto byte2 = static_cast<int>(c & 0xFF);
    bool in_range = c <= 0xFFFF && byte1 >= min_byte1 && byte1 <= max_byte1 && byte2 >= min_byte2 &&
                    byte2 <= max_byte2;
    if (in_range && !missing.empty()) {
        auto index = static_cast<std::size_t>((byte1 - min_byte1) * (max_byte2 - min_byte2 + 1) +
                                              byte2 - min_byte2);
        in_range = index < missing.size() && !missing[index];
    }
    return in_range || c == U'?' ? static_cast<std::uint16_t>(c) : std::uint16_t{'?'};
}

std::vector<std::u32string> wrap_text(const std::u32string& text, std::size_t max_chars) {
    std::vector<std::u32string> lines;
    std::u32string line;
    for (char32_t c : text) {
        if (c == U'\n') {
            wrap_line(std::exchange(line, {}), max_chars, lines);
        } else if (c != U'\r') {
            line += c;
        }
    }
    wrap_line(line, max_chars, lines);
    return lines;
}

std::vector<std::u32string> box_lines(const std::string& text, std::size_t max_chars) {
    std::vector<std::u32string> lines = wrap_text(decode_utf8(text), max_chars);
    if (lines.size() > box_max_lines) {
        lines.resize(box_max_lines);
        lines.back() = U"...";
    }
    return lines;
}

std::size_t box_chars_within(int screen_width, int char_width) {
    int room = (screen_width - (margin + icon_size + icon_gap) - margin) / std::max(char_width, 1);
    return std::clamp<std::size_t>(static_cast<std::size_t>(std::max(room, 1)), 1, box_line_chars);
}

BoxLayout layout_box(const std::vector<std::u32string>& lines, int char_width, int line_height) {
    std::size_t longest = 0;
    for (const auto& line : lines) longest = std::max(longest, line.size());
    int text_width = static_cast<int>(longest) * char_width;
    int text_height = static_cast<int>(lines.size()) * line_height;
    int content_height = std::max(icon_size, text_height);

    BoxLayout layout;
    layout.line_height = line_height;
    layout.icon = {margin, margin + (content_height - icon_size) / 2, icon_size, icon_size};
    layout.text = {margin + icon_size + icon_gap, margin + (content_height - text_height) / 2};
    layout.width =
        std::max({layout.text.x + text_width + margin, button_width + 2 * margin, min_width});
    layout.button = {(layout.width - button_width) / 2, margin + content_height + margin,
                     button_width, button_height};
    layout.height = layout.button.bottom() + 12;
    return layout;
}

}  // namespace osyl::posix
