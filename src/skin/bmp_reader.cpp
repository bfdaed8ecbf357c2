#include "skin/bmp_reader.h"

#include "platform/errors.h"

#include <algorithm>
#include <array>
#include <bit>

namespace osyl {

namespace {

constexpr std::uint64_t file_header_bytes = 14;
constexpr std::uint32_t core_header_bytes = 12;
constexpr std::uint32_t info_header_bytes = 40;
constexpr std::uint32_t max_colours = 256;
// The largest header in use has 124 bytes; one claiming kilobytes is out of range, and
// rejecting it keeps every header within the first few kilobytes of a file.
constexpr std::uint32_t max_info_header_bytes = 1024;

enum Compression : std::uint32_t {
    rgb = 0,
    rle8 = 1,
    rle4 = 2,
    bitfields = 3,
    alpha_bitfields = 6
};

std::uint32_t u8_at(std::span<const std::byte> bytes, std::size_t at) {
    return std::to_integer<std::uint32_t>(bytes[at]);
}

std::uint32_t u16_at(std::span<const std::byte> bytes, std::size_t at) {
    return u8_at(bytes, at) | (u8_at(bytes, at + 1) << 8);
}

std::uint32_t u32_at(std::span<const std::byte> bytes, std::size_t at) {
    return u16_at(bytes, at) | (u16_at(bytes, at + 2) << 16);
}

std::int32_t i32_at(std::span<const std::byte> bytes, std::size_t at) {
    return static_cast<std::int32_t>(u32_at(bytes, at));
}

Rgb rgb_of(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return (red << 16) | (green << 8) | blue;
}

// Every structure of the file is taken through here; a file that ends inside one is a
// read error, the same for the file header, the information header, masks and colours.
class Cursor {
public:
    explicit Cursor(std::span<const std::byte> bytes) : m_bytes(bytes) {}

    std::uint64_t position() const { return m_position; }
    std::uint64_t remaining() const { return m_bytes.size() - m_position; }

    std::span<const std::byte> peek(std::uint64_t count) const {
        if (count > remaining()) throw StreamReadError();
        return m_bytes.subspan(m_position, count);
    }
    std::span<const std::byte> take(std::uint64_t count) {
        auto bytes = peek(count);
        m_position += count;
        return bytes;
    }

private:
    std::span<const std::byte> m_bytes;
    std::uint64_t m_position = 0;
};

struct Header {
    std::uint32_t size = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative: rows run top-down
    std::uint32_t planes = 0;
    std::uint32_t bpp = 0;
    std::uint32_t compression = rgb;
    std::uint32_t colours_used = 0;
    std::span<const std::byte> bytes;

    std::int64_t rows() const { return height < 0 ? -height : height; }
    bool run_length() const { return compression == rle8 || compression == rle4; }
};

Header read_header(Cursor& in) {
    Header header;
    header.size = u32_at(in.peek(4), 0);
    if (header.size != core_header_bytes &&
        (header.size < info_header_bytes || header.size > max_info_header_bytes))
        throw InvalidGraphic();
    header.bytes = in.take(header.size);
    auto b = header.bytes;
    if (header.size == core_header_bytes) {
        header.width = u16_at(b, 4);
        header.height = u16_at(b, 6);
        header.planes = u16_at(b, 8);
        header.bpp = u16_at(b, 10);
        return header;
    }
    header.width = i32_at(b, 4);
    header.height = i32_at(b, 8);
    header.planes = u16_at(b, 12);
    header.bpp = u16_at(b, 14);
    header.compression = u32_at(b, 16);
    header.colours_used = u32_at(b, 32);
    return header;
}

bool compression_fits(const Header& h) {
    switch (h.compression) {
        case rgb: return true;
        case rle8: return h.bpp == 8 && h.height > 0;
        case rle4: return h.bpp == 4 && h.height > 0;
        case bitfields:
        case alpha_bitfields: return h.bpp == 16 || h.bpp == 32;
        default: return false;
    }
}

// All of this is checked before any size is computed from the header.
void validate(const Header& h) {
    bool depth_ok =
        h.bpp == 1 || h.bpp == 4 || h.bpp == 8 || h.bpp == 16 || h.bpp == 24 || h.bpp == 32;
    std::int64_t rows = h.rows();
    if (h.planes != 1 || !depth_ok || !compression_fits(h) || h.colours_used > max_colours)
        throw InvalidGraphic();
    if (h.width < 0 || h.width > bmp_max_side || rows > bmp_max_side ||
        h.width * rows > bmp_max_pixels)
        throw InvalidGraphic();
}

// One colour component taken out of a 16- or 32-bit pixel and scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    std::uint32_t value(std::uint32_t pixel) const {
        if (bits == 0) return 0;
        std::uint32_t raw = (pixel & mask) >> shift;
        if (bits >= 8) return raw >> (bits - 8);
        std::uint32_t top = (1U << bits) - 1;
        return (raw * 255 + top / 2) / top;
    }
};

Channel channel_of(std::uint32_t mask, std::uint32_t bpp) {
    if (mask == 0) return {};
    int shift = std::countr_zero(mask);
    std::uint32_t bits = mask >> shift;
    bool contiguous = (bits & (bits + 1)) == 0;  // wraps to 0 for a full 32-bit mask
    if (!contiguous || (bpp == 16 && mask > 0xFFFF)) throw InvalidGraphic();
    return {mask, shift, std::popcount(bits)};
}

struct Format {
    std::array<Channel, 3> channels{};       // red, green, blue
    std::array<Rgb, max_colours> palette{};  // entries past the table stay black

    Rgb masked(std::uint32_t pixel) const {
        return rgb_of(channels[0].value(pixel), channels[1].value(pixel), channels[2].value(pixel));
    }
};

// Masks sit inside a header of 52 bytes or more, otherwise right after it.
void read_masks(Cursor& in, const Header& h, Format& format) {
    std::array<std::uint32_t, 3> masks = {0x7C00, 0x03E0, 0x001F};
    if (h.bpp == 32) masks = {0xFF0000, 0xFF00, 0xFF};
    if (h.compression == bitfields || h.compression == alpha_bitfields) {
        std::span<const std::byte> bytes;
        if (h.size >= info_header_bytes + 12)
            bytes = h.bytes.subspan(info_header_bytes, 12);
        else
            bytes = in.take(h.compression == alpha_bitfields ? 16 : 12);
        for (std::size_t i = 0; i < 3; ++i) masks[i] = u32_at(bytes, 4 * i);
    }
    for (std::size_t i = 0; i < 3; ++i) format.channels[i] = channel_of(masks[i], h.bpp);
}

// Only the entries that fit in `room` bytes are read; the others stay black.
void read_palette(Cursor& in, const Header& h, Format& format, std::uint64_t room) {
    std::uint32_t count = h.colours_used;
    if (count == 0 && h.bpp <= 8) count = 1U << h.bpp;
    std::uint32_t entry = h.size == core_header_bytes ? 3 : 4;
    count = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, room / entry));
    auto table = in.take(std::uint64_t{count} * entry);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::size_t at = std::size_t{i} * entry;
        format.palette[i] = rgb_of(u8_at(table, at + 2), u8_at(table, at + 1), u8_at(table, at));
    }
}

// Everything the headers say, parsed once; every size the decoder and the loader need is
// answered from here.
struct Layout {
    Header header;
    Format format;
    std::uint64_t data_start = 0;  // where the pixel data begins in the file

    bool empty() const { return header.width == 0 || header.height == 0; }
    std::uint64_t rows() const { return static_cast<std::uint64_t>(header.rows()); }
    std::uint64_t stride() const {
        return (static_cast<std::uint64_t>(header.width) * header.bpp + 31) / 32 * 4;
    }
    // Pixel-data bytes the decoder can use when `left` bytes follow data_start. The image
    // size field is no limit, since many writers leave the row padding out of it; rows
    // beyond the height are never read, and run-length data ends with its own code.
    std::uint64_t data_bytes(std::uint64_t left) const {
        if (header.run_length()) return left;
        return std::min(stride() * rows(), left);
    }
};

// `head` holds the file's first bytes, at least its headers, out of file_size in all. The
// file header's offset decides where the pixel data starts when it lies past the headers and
// masks and inside the file, even where that cuts the colour table short. An offset into the
// headers is ignored: the data follows the table. One past the end of the file leaves no
// pixel data at all.
Layout parse_layout(std::span<const std::byte> head, std::uint64_t file_size) {
    Cursor in(head);
    auto file_header = in.take(file_header_bytes);
    if (u8_at(file_header, 0) != 'B' || u8_at(file_header, 1) != 'M') throw InvalidGraphic();
    Layout layout;
    layout.header = read_header(in);
    validate(layout.header);
    read_masks(in, layout.header, layout.format);
    std::uint64_t tables_start = in.position();
    std::uint32_t offset = u32_at(file_header, 10);
    bool offset_counts = offset >= tables_start && offset <= file_size;
    std::uint64_t room = offset_counts ? offset - tables_start : file_size;
    read_palette(in, layout.header, layout.format, room);
    layout.data_start = offset_counts ? offset : in.position();
    if (offset > file_size) layout.data_start = file_size;
    return layout;
}

std::uint32_t palette_index(std::span<const std::byte> row, std::size_t x, std::uint32_t bpp) {
    std::size_t bit = x * bpp;
    std::uint32_t byte = u8_at(row, bit / 8);
    std::uint32_t shift = 8 - bpp - static_cast<std::uint32_t>(bit % 8);
    return (byte >> shift) & ((1U << bpp) - 1);
}

// Decodes the pixels whose bytes are all present; a cut row leaves the rest black.
void decode_row(std::span<const std::byte> row, std::uint32_t bpp, const Format& format, Rgb* out,
                std::size_t width) {
    std::size_t count = std::min<std::size_t>(width, row.size() * 8 / bpp);
    for (std::size_t x = 0; x < count; ++x) {
        switch (bpp) {
            case 16: out[x] = format.masked(u16_at(row, 2 * x)); break;
            case 24:
                out[x] = rgb_of(u8_at(row, 3 * x + 2), u8_at(row, 3 * x + 1), u8_at(row, 3 * x));
                break;
            case 32: out[x] = format.masked(u32_at(row, 4 * x)); break;
            default: out[x] = format.palette[palette_index(row, x, bpp)]; break;
        }
    }
}

void decode_rows(std::span<const std::byte> data, const Layout& layout, Picture& picture) {
    auto width = static_cast<std::uint64_t>(layout.header.width);
    std::uint64_t stride = layout.stride();
    std::uint64_t rows = layout.rows();
    for (std::uint64_t row = 0; row < rows && row * stride < data.size(); ++row) {
        std::uint64_t begin = row * stride;
        auto bytes = data.subspan(begin, std::min(stride, data.size() - begin));
        auto y = static_cast<int>(layout.header.height < 0 ? row : rows - 1 - row);
        decode_row(bytes, layout.header.bpp, layout.format, &picture.pixels()[y * width], width);
    }
}

// Run-length data. Positions count from the bottom-left corner; pixels that fall outside
// the picture are dropped, and data that stops early leaves the rest black.
class RleDecoder {
public:
    RleDecoder(const Layout& layout, Picture& picture)
        : m_bpp(layout.header.bpp), m_format(layout.format), m_picture(picture) {}

    void decode(std::span<const std::byte> data) {
        std::size_t at = 0;
        while (data.size() - at >= 2 && m_y < m_picture.height()) {
            std::uint32_t count = u8_at(data, at);
            std::uint32_t code = u8_at(data, at + 1);
            at += 2;
            if (count > 0) {
                run(count, code);
            } else if (code == 0) {
                m_x = 0;
                ++m_y;
            } else if (code == 1) {
                return;
            } else if (code == 2) {
                if (data.size() - at < 2) return;
                m_x += u8_at(data, at);
                m_y += u8_at(data, at + 1);
                at += 2;
            } else {
                at = absolute(data, at, code);
            }
        }
    }

private:
    void put(std::int64_t x, std::uint32_t index) {
        auto top = m_picture.height() - 1 - m_y;
        m_picture.set(static_cast<int>(x), static_cast<int>(top), m_format.palette[index]);
    }

    std::int64_t end_of(std::uint32_t count) const {
        return std::min<std::int64_t>(m_x + count, m_picture.width());
    }

    void run(std::uint32_t count, std::uint32_t value) {
        for (std::int64_t x = m_x; x < end_of(count); ++x) {
            bool odd = (x - m_x) % 2 != 0;
            put(x, m_bpp == 8 ? value : odd ? value & 0x0F : value >> 4);
        }
        m_x += count;
    }

    // Literal pixels, padded to an even number of bytes; returns the offset after them.
    std::size_t absolute(std::span<const std::byte> data, std::size_t at, std::uint32_t count) {
        std::size_t bytes = m_bpp == 8 ? count : (count + 1) / 2;
        std::size_t present = std::min(bytes, data.size() - at);
        auto pixels = data.subspan(at, present);
        for (std::int64_t x = m_x; x < end_of(count); ++x) {
            auto i = static_cast<std::size_t>(x - m_x);
            if (i * m_bpp / 8 >= present) break;
            put(x, palette_index(pixels, i, m_bpp));
        }
        m_x += count;
        return at + std::min(bytes + bytes % 2, data.size() - at);
    }

    std::uint32_t m_bpp;
    const Format& m_format;
    Picture& m_picture;
    std::int64_t m_x = 0;
    std::int64_t m_y = 0;
};

}  // namespace

std::uint64_t bmp_bytes_needed(std::span<const std::byte> head, std::uint64_t file_size) {
    std::uint64_t whole = std::min(file_size, bmp_max_file_bytes);
    try {
        if (head.empty()) return 0;
        Layout layout = parse_layout(head, file_size);
        if (layout.empty()) return std::min(whole, layout.data_start);
        return std::min(whole,
                        layout.data_start + layout.data_bytes(file_size - layout.data_start));
    } catch (const StreamReadError&) {
        return whole;  // the headers go on past what was read: read on
    } catch (const AppError&) {
        return head.size();  // rejected already by what was read
    }
}

Picture decode_bmp(std::span<const std::byte> file) {
    if (file.empty()) return {};
    Layout layout = parse_layout(file, file.size());
    if (layout.empty()) return {};
    auto data = file.subspan(layout.data_start, layout.data_bytes(file.size() - layout.data_start));
    Picture picture(static_cast<int>(layout.header.width), static_cast<int>(layout.rows()));
    if (layout.header.run_length())
        RleDecoder(layout, picture).decode(data);
    else
        decode_rows(data, layout, picture);
    return picture;
}

}  // namespace osyl
