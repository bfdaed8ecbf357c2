#pragma once

#include "platform/picture.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace osyl {

// Largest picture the reader accepts: a side and the whole area, in pixels.
inline constexpr std::int64_t bmp_max_side = 4096;
inline constexpr std::int64_t bmp_max_pixels = 4LL << 20;

// No accepted file needs more bytes than this: 32-bit pixels at the area cap plus room for
// headers, masks and a full colour table. Callers may stop reading a file there.
inline constexpr std::uint64_t bmp_max_file_bytes = (bmp_max_pixels * 4) + (64 << 10);

// Decodes a whole BMP file held in memory. Does no I/O.
//   - 0 bytes: an empty picture, no error.
//   - the file ends inside its file header, information header, bit-field masks or colour
//     table: StreamReadError.
//   - wrong signature, planes, header size, depth, compression, colour count, masks or a
//     size past the caps: InvalidGraphic.
//   - the picture does not fit the pixel budget: SystemError(ENOMEM).
// Missing pixel data is not an error: those pixels stay black.
Picture decode_bmp(std::span<const std::byte> file);

}  // namespace osyl
