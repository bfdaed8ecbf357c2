#include "support/pictures.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace osyl::test {

namespace {

std::string colour(Rgb rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", rgb);
    return text;
}

bool masked_point(const std::vector<Rect>& masked, Point p) {
    for (const Rect& r : masked)
        if (r.contains(p)) return true;
    return false;
}

std::uint32_t be32(const std::string& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<std::uint8_t>(bytes[offset + i]);
    }
    return value;
}

std::uint32_t channel(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0) return 0;
    std::uint32_t raw = (value & mask) >> std::countr_zero(mask);
    int width = std::popcount(mask);
    return width >= 8 ? raw >> (width - 8) : raw << (8 - width);
}

}  // namespace

Picture parse_xwd(const std::string& bytes) {
    if (bytes.size() < 100) throw std::runtime_error("XWD: short header");
    auto field = [&](std::size_t index) { return be32(bytes, index * 4); };
    std::uint64_t header_size = field(0);
    std::uint32_t width = field(4);
    std::uint32_t height = field(5);
    bool msb_first = field(7) != 0;
    std::uint32_t bits_per_pixel = field(11);
    std::uint64_t bytes_per_line = field(12);
    std::uint32_t masks[3] = {field(14), field(15), field(16)};
    std::uint64_t colours = field(19);
    if (field(1) != 7 || field(2) != 2 || (bits_per_pixel != 24 && bits_per_pixel != 32) ||
        width == 0 || height == 0 || width > 16384 || height > 16384 ||
        bytes_per_line < std::uint64_t{width} * bits_per_pixel / 8) {
        throw std::runtime_error("XWD: not a 24/32-bit ZPixmap dump");
    }
    std::uint64_t offset = header_size + colours * 12;
    if (offset > bytes.size() || bytes_per_line * height > bytes.size() - offset) {
        throw std::runtime_error("XWD: pixel data cut short");
    }
    Picture picture(static_cast<int>(width), static_cast<int>(height));
    std::size_t pixel_bytes = bits_per_pixel / 8;
    for (std::uint32_t y = 0; y < height; ++y) {
        std::size_t row = static_cast<std::size_t>(offset + bytes_per_line * y);
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint32_t value = 0;
            for (std::size_t i = 0; i < pixel_bytes; ++i) {
                auto byte = static_cast<std::uint8_t>(bytes[row + x * pixel_bytes + i]);
                std::size_t shift = msb_first ? 8 * (pixel_bytes - 1 - i) : 8 * i;
                value |= std::uint32_t{byte} << shift;
            }
            picture.set(static_cast<int>(x), static_cast<int>(y),
                        channel(value, masks[0]) << 16 | channel(value, masks[1]) << 8 |
                            channel(value, masks[2]));
        }
    }
    return picture;
}

Picture crop(const Picture& picture, Rect area) {
    Picture out(area.width, area.height);
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) out.set(x, y, picture.at(area.left + x, area.top + y));
    return out;
}

std::string differences(const Picture& actual, const Picture& expected,
                        const std::vector<Rect>& masked) {
    if (actual.width() != expected.width() || actual.height() != expected.height()) {
        return "size " + std::to_string(actual.width()) + "x" + std::to_string(actual.height()) +
               ", expected " + std::to_string(expected.width()) + "x" +
               std::to_string(expected.height());
    }
    int count = 0;
    std::string first;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            if (masked_point(masked, {x, y}) || actual.at(x, y) == expected.at(x, y)) continue;
            if (count++ == 0) {
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
                        colour(actual.at(x, y)) + ", expected " + colour(expected.at(x, y));
            }
        }
    }
    if (count == 0) return {};
    return std::to_string(count) + " pixels differ, the first at " + first;
}

}  // namespace osyl::test
