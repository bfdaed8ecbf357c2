#include "art/bmp_writer.h"

#include <cstdint>

namespace osyl {

namespace {

constexpr std::uint32_t file_header_size = 14;
constexpr std::uint32_t info_header_size = 40;
constexpr std::int32_t pixels_per_metre = 2835;  // 72 dpi

void put_u16(std::vector<std::byte>& out, std::uint16_t value) {
    out.push_back(static_cast<std::byte>(value & 0xFF));
    out.push_back(static_cast<std::byte>(value >> 8));
}

void put_u32(std::vector<std::byte>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::byte>((value >> shift) & 0xFF));
}

void put_i32(std::vector<std::byte>& out, std::int32_t value) {
    put_u32(out, static_cast<std::uint32_t>(value));
}

// Rows are padded to a multiple of four bytes.
std::uint32_t row_stride(int width) {
    return (static_cast<std::uint32_t>(width) * 24 + 31) / 32 * 4;
}

void put_headers(std::vector<std::byte>& out, const Picture& picture, std::uint32_t image_size) {
    out.push_back(std::byte{'B'});
    out.push_back(std::byte{'M'});
    put_u32(out, file_header_size + info_header_size + image_size);
    put_u32(out, 0);  // reserved
    put_u32(out, file_header_size + info_header_size);
    put_u32(out, info_header_size);
    put_i32(out, picture.width());
    put_i32(out, picture.height());  // positive: bottom-up
    put_u16(out, 1);                 // planes
    put_u16(out, 24);                // bits per pixel
    put_u32(out, 0);                 // no compression
    put_u32(out, image_size);
    put_i32(out, pixels_per_metre);
    put_i32(out, pixels_per_metre);
    put_u32(out, 0);  // colours used: no table
    put_u32(out, 0);  // important colours: all
}

}  // namespace

std::vector<std::byte> encode_bmp24(const Picture& picture) {
    // Pictures are capped far below 4 GiB by the pixel budget, so 32 bits hold every size.
    const std::uint32_t stride = picture.empty() ? 0 : row_stride(picture.width());
    const std::uint32_t image_size = stride * static_cast<std::uint32_t>(picture.height());
    std::vector<std::byte> out;
    out.reserve(file_header_size + info_header_size + image_size);
    put_headers(out, picture, image_size);
    for (int y = picture.height() - 1; y >= 0 && !picture.empty(); --y) {
        for (int x = 0; x < picture.width(); ++x) {
            Rgb colour = picture.at(x, y);
            out.push_back(static_cast<std::byte>(colour & 0xFF));
            out.push_back(static_cast<std::byte>((colour >> 8) & 0xFF));
            out.push_back(static_cast<std::byte>((colour >> 16) & 0xFF));
        }
        out.resize(out.size() + (stride - static_cast<std::uint32_t>(picture.width()) * 3));
    }
    return out;
}

}  // namespace osyl
