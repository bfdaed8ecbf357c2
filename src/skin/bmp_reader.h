#pragma once

#include "platform/picture.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace osyl {

// Largest picture the reader accepts: a side and the whole area, in pixels.
inline constexpr std::int64_t bmp_max_side = 4096;
inline constexpr std::int64_t bmp_max_pixels = 4LL << 20;

// Callers read no more of a file than this: room for 32-bit pixels at the area cap after
// the headers, masks and a full colour table. Bytes past it would not be used.
inline constexpr std::uint64_t bmp_max_file_bytes = (bmp_max_pixels * 4) + (64 << 10);

// Decodes a whole BMP file held in memory. Does no I/O.
//   - 0 bytes: an empty picture, no error; so is a width or height of 0.
//   - the file ends inside its file header, information header, bit-field masks or colour
//     table: StreamReadError, whichever structure it is.
//   - wrong signature or planes, a header size below 40 other than 12, a depth or
//     compression not listed, more than 256 colours, masks with holes, or a size past the
//     caps: InvalidGraphic, before anything is allocated.
//   - the picture does not fit the pixel budget: SystemError(ENOMEM).
// Run-length data (8 and 4 bits) is decoded. The pixel data starts at the file header's
// offset unless that points into the headers; the size-of-image field is not used. Missing
// pixel data is not an error: those pixels stay black, as do palette indexes past the
// colour table read, and an offset past the end of the file leaves all of them black.
// Alpha is ignored.
Picture decode_bmp(std::span<const std::byte> file);

// How many bytes from the start of a file of file_size bytes decode_bmp would use, judged
// from its first bytes `head`: a huge file behind a small header is read only as far as the
// header needs. Never more than bmp_max_file_bytes.
std::uint64_t bmp_bytes_needed(std::span<const std::byte> head, std::uint64_t file_size);

}  // namespace osyl
