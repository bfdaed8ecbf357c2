#pragma once

#include "platform/picture.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace osyl::x11 {

// How the server wants ZPixmap data for the windows' visual: the server's image byte order,
// the bits per pixel of the visual's depth, its scan-line padding and the visual's masks.
struct PixelFormat {
    int bits_per_pixel = 32;  // 24 or 32
    int scanline_pad = 32;    // bits
    bool msb_first = false;
    std::uint32_t red_mask = 0xFF0000;
    std::uint32_t green_mask = 0x00FF00;
    std::uint32_t blue_mask = 0x0000FF;
    // Bits a 32-deep visual reads as alpha: set in every pixel, or a compositor shows
    // the windows through.
    std::uint32_t opaque_bits = 0;
};

// The pixel value of a 0x00RRGGBB colour in the visual.
std::uint32_t pixel_value(const PixelFormat& format, Rgb colour);

// Bytes in one padded row of an image of this width.
std::size_t row_bytes(const PixelFormat& format, int width);

// True when the server takes the picture's own pixels as they are held: no packing needed.
bool same_as_held(const PixelFormat& format);

// Rows rows of the picture starting at first_row, packed as ZPixmap data.
std::vector<std::uint8_t> pack_rows(const Picture& picture, int first_row, int rows,
                                    const PixelFormat& format);

// How many rows of row_bytes fit in one PutImage request under the server's limit
// (at least one, so a band always makes progress).
int rows_per_band(std::size_t max_request_bytes, std::size_t row_bytes);

}  // namespace osyl::x11
