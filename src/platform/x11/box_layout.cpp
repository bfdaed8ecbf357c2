#include "platform/x11/box_layout.h"

#include <algorithm>
#include <utility>

namespace osyl::x11 {

namespace {

constexpr int margin = 16;
constexpr int icon_size = 32;
constexpr int icon_gap = 12;
constexpr int button_width = 75;
constexpr int button_height = 23;
constexpr int min_width = 180;

void wrap_line(std::string line, std::size_t max_chars, std::vector<std::string>& out) {
    while (line.size() > max_chars) {
        std::size_t cut = line.rfind(' ', max_chars);
        if (cut == std::string::npos || cut == 0) {
            out.push_back(line.substr(0, max_chars));
            line.erase(0, max_chars);
        } else {
            out.push_back(line.substr(0, cut));
            line.erase(0, cut + 1);
        }
    }
    out.push_back(line);
}

}  // namespace

std::vector<std::string> wrap_text(const std::string& text, std::size_t max_chars) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            wrap_line(std::exchange(line, {}), max_chars, lines);
        } else if (c != '\r') {
            line += c;
        }
    }
    wrap_line(line, max_chars, lines);
    return lines;
}

std::vector<std::string> box_lines(const std::string& text) {
    std::vector<std::string> lines = wrap_text(text, box_line_chars);
    if (lines.size() > box_max_lines) {
        lines.resize(box_max_lines);
        lines.back() = "...";
    }
    return lines;
}

BoxLayout layout_box(const std::vector<std::string>& lines, int char_width, int line_height) {
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

}  // namespace osyl::x11
