#pragma once

#include "platform/picture.h"

#include <cstddef>
#include <vector>

namespace osyl {

// A complete BMP file: 24 bits per pixel, uncompressed, rows bottom-up, with the 40-byte
// BITMAPINFOHEADER that every reader understands.
std::vector<std::byte> encode_bmp24(const Picture& picture);

}  // namespace osyl
