#pragma once

// Builds BMP files field by field for the reader's tests, the fuzz seeds and the benchmark.

#include "platform/picture.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace osyl::test {

using Bytes = std::vector<std::byte>;

inline void put_u8(Bytes& b, std::uint32_t v) { b.push_back(static_cast<std::byte>(v & 0xFF)); }
inline void put_u16(Bytes& b, std::uint32_t v) {
    put_u8(b, v);
    put_u8(b, v >> 8);
}
inline void put_u32(Bytes& b, std::uint32_t v) {
    put_u16(b, v);
    put_u16(b, v >> 16);
}
// Overwrites a little-endian field in place.
inline void set_u16(Bytes& b, std::size_t at, std::uint32_t v) {
    b.at(at) = static_cast<std::byte>(v & 0xFF);
    b.at(at + 1) = static_cast<std::byte>((v >> 8) & 0xFF);
}
inline void set_u32(Bytes& b, std::size_t at, std::uint32_t v) {
    set_u16(b, at, v & 0xFFFF);
    set_u16(b, at + 2, v >> 16);
}

inline std::string as_string(const Bytes& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

// Compression codes of the information header.
enum : std::uint32_t { bi_rgb = 0, bi_rle8 = 1, bi_rle4 = 2, bi_bitfields = 3, bi_alpha = 6 };

struct BmpFile {
    std::uint32_t header_size = 40;  // 12 is the core header
    std::int32_t width = 0;
    std::int32_t height = 0;  // as stored: negative means top-down rows
    std::uint16_t planes = 1;
    std::uint16_t bpp = 24;
    std::uint32_t compression = bi_rgb;
    std::uint32_t image_size = 0;
    std::uint32_t colours_used = 0;
    std::vector<std::uint32_t> masks;  // inside a header of 52+ bytes, otherwise right after it
    std::vector<Rgb> palette;          // 3-byte entries for the core header, otherwise 4
    std::size_t gap = 0;               // unused bytes between colour table and pixels
    std::optional<std::uint32_t> pixel_offset;  // bfOffBits; by default where pixels start
    Bytes pixels;

    // Offset of the pixel data as laid out (not what bfOffBits may claim).
    std::size_t pixels_start() const {
        std::size_t masks_after = header_size >= 52 ? 0 : masks.size() * 4;
        std::size_t entry = header_size == 12 ? 3 : 4;
        return 14 + header_size + masks_after + palette.size() * entry + gap;
    }
    // Where the headers, masks and colour table end.
    std::size_t tables_end() const { return pixels_start() - gap; }

    Bytes bytes() const {
        Bytes b;
        put_u8(b, 'B');
        put_u8(b, 'M');
        put_u32(b, static_cast<std::uint32_t>(pixels_start() + pixels.size()));
        put_u32(b, 0);
        put_u32(b, pixel_offset.value_or(static_cast<std::uint32_t>(pixels_start())));
        put_header(b);
        for (Rgb c : palette) {
            put_u8(b, c);
            put_u8(b, c >> 8);
            put_u8(b, c >> 16);
            if (header_size != 12) put_u8(b, 0);
        }
        b.resize(b.size() + gap, std::byte{0xEE});
        b.insert(b.end(), pixels.begin(), pixels.end());
        return b;
    }

private:
    void put_header(Bytes& b) const {
        std::size_t start = b.size();
        put_u32(b, header_size);
        if (header_size == 12) {
            put_u16(b, static_cast<std::uint32_t>(width));
            put_u16(b, static_cast<std::uint32_t>(height));
            put_u16(b, planes);
            put_u16(b, bpp);
            return;
        }
        put_u32(b, static_cast<std::uint32_t>(width));
        put_u32(b, static_cast<std::uint32_t>(height));
        put_u16(b, planes);
        put_u16(b, bpp);
        put_u32(b, compression);
        put_u32(b, image_size);
        put_u32(b, 2835);  // 72 dpi
        put_u32(b, 2835);
        put_u32(b, colours_used);
        put_u32(b, 0);
        bool inside = header_size >= 52;
        if (inside)
            for (std::uint32_t m : masks) put_u32(b, m);
        b.resize(start + header_size, std::byte{0});
        if (!inside)
            for (std::uint32_t m : masks) put_u32(b, m);
    }
};

// A picture given top-down as colours, for building files that must decode to it.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
    Rgb at(int x, int y) const { return pixels.at(static_cast<std::size_t>(y * width + x)); }
};

// Raw pixel values (palette indexes or packed colours) stored row by row with padding.
inline Bytes pack_rows(const std::vector<std::uint32_t>& values, int width, int height, int bpp,
                       bool top_down) {
    std::size_t stride = (static_cast<std::size_t>(width) * bpp + 31) / 32 * 4;
    Bytes out;
    for (int row = 0; row < height; ++row) {
        int y = top_down ? row : height - 1 - row;
        Bytes line(stride, std::byte{0});
        for (int x = 0; x < width; ++x) {
            std::uint32_t v = values.at(static_cast<std::size_t>(y * width + x));
            std::size_t bit = static_cast<std::size_t>(x) * bpp;
            if (bpp < 8) {
                auto shift = static_cast<unsigned>(8 - bpp - bit % 8);
                line[bit / 8] |= static_cast<std::byte>(v << shift);
            } else {
                for (int i = 0; i < bpp / 8; ++i)
                    line[bit / 8 + i] = static_cast<std::byte>((v >> (8 * i)) & 0xFF);
            }
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

// Packs a colour whose components are 0 or 255 (exact at any mask width).
inline std::uint32_t pack_colour(Rgb c, const std::array<std::uint32_t, 3>& masks) {
    std::uint32_t v = 0;
    for (int i = 0; i < 3; ++i) {
        bool on = ((c >> (16 - 8 * i)) & 0xFF) != 0;
        if (on) v |= masks[static_cast<std::size_t>(i)];
    }
    return v;
}

// Palette of the distinct colours in first-seen order and each pixel's index into it.
inline std::vector<std::uint32_t> index_image(const Image& image, std::vector<Rgb>& palette) {
    std::vector<std::uint32_t> indexes;
    for (Rgb c : image.pixels) {
        std::size_t i = 0;
        while (i < palette.size() && palette[i] != c) ++i;
        if (i == palette.size()) palette.push_back(c);
        indexes.push_back(static_cast<std::uint32_t>(i));
    }
    return indexes;
}

// Run-length data with one run per stretch of equal indexes, end of line after each row.
inline Bytes rle_encode(const std::vector<std::uint32_t>& indexes, int width, int height, int bpp) {
    Bytes out;
    for (int y = height - 1; y >= 0; --y) {
        int x = 0;
        while (x < width) {
            std::uint32_t v = indexes.at(static_cast<std::size_t>(y * width + x));
            int run = 1;
            while (x + run < width && run < 255 &&
                   indexes.at(static_cast<std::size_t>(y * width + x + run)) == v)
                ++run;
            put_u8(out, static_cast<std::uint32_t>(run));
            put_u8(out, bpp == 8 ? v : (v << 4) | v);
            x += run;
        }
        put_u16(out, 0x0000);
    }
    put_u16(out, 0x0100);
    return out;
}

// A file of the given depth that decodes to image; 1 to 8 bits use a colour table.
inline BmpFile make_bmp(const Image& image, std::uint16_t bpp, bool top_down = false) {
    BmpFile f;
    f.width = image.width;
    f.height = top_down ? -image.height : image.height;
    f.bpp = bpp;
    std::vector<std::uint32_t> values;
    if (bpp <= 8) {
        values = index_image(image, f.palette);
        f.palette.resize(std::size_t{1} << bpp, 0x123456);
    } else if (bpp == 24) {
        values.assign(image.pixels.begin(), image.pixels.end());
    } else {
        std::array<std::uint32_t, 3> masks = {0x7C00, 0x03E0, 0x001F};
        if (bpp == 32) masks = {0xFF0000, 0xFF00, 0xFF};
        for (Rgb c : image.pixels) values.push_back(pack_colour(c, masks));
    }
    f.pixels = pack_rows(values, image.width, image.height, bpp, top_down);
    return f;
}

// Same, with bit-field masks in red, green, blue order.
inline BmpFile make_masked_bmp(const Image& image, std::uint16_t bpp,
                               const std::array<std::uint32_t, 3>& masks,
                               std::uint32_t header_size = 40) {
    BmpFile f;
    f.header_size = header_size;
    f.width = image.width;
    f.height = image.height;
    f.bpp = bpp;
    f.compression = bi_bitfields;
    f.masks.assign(masks.begin(), masks.end());
    std::vector<std::uint32_t> values;
    for (Rgb c : image.pixels) values.push_back(pack_colour(c, masks));
    f.pixels = pack_rows(values, image.width, image.height, bpp, false);
    return f;
}

// Same, run-length encoded at 4 or 8 bits.
inline BmpFile make_rle_bmp(const Image& image, std::uint16_t bpp) {
    BmpFile f;
    f.width = image.width;
    f.height = image.height;
    f.bpp = bpp;
    f.compression = bpp == 8 ? bi_rle8 : bi_rle4;
    auto indexes = index_image(image, f.palette);
    f.colours_used = static_cast<std::uint32_t>(f.palette.size());
    f.pixels = rle_encode(indexes, image.width, image.height, bpp);
    f.image_size = static_cast<std::uint32_t>(f.pixels.size());
    return f;
}

// 7 x 3 in seven colours, each row shifted: odd width pads every row, rows differ.
inline Image sample_image() {
    const Rgb colours[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF};
    Image image{7, 3, {}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) image.pixels.push_back(colours[(x + 6 * y) % 7]);
    return image;
}

// The same shape in two colours, for 1-bit files.
inline Image two_colour_image() {
    Image image{7, 3, {}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) image.pixels.push_back((x + y) % 3 == 0 ? 0xC04010 : 0x20A0F0);
    return image;
}

}  // namespace osyl::test
