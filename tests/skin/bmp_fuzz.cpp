// libFuzzer entry for the BMP reader: any input must decode or throw one of the
// program's errors, within the caps, without touching memory outside the buffer.

#include "platform/errors.h"
#include "skin/bmp_reader.h"

#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto bytes = std::as_bytes(std::span(data, size));
    try {
        osyl::Picture picture = osyl::decode_bmp(bytes);
        bool within_caps = picture.width() <= osyl::bmp_max_side &&
                           picture.height() <= osyl::bmp_max_side &&
                           std::int64_t{picture.width()} * picture.height() <= osyl::bmp_max_pixels;
        if (!within_caps) std::abort();
    } catch (const osyl::AppError&) {
        // Rejecting a file is the expected outcome for most inputs.
    }
    if (osyl::pixel_bytes_in_use() != 0) std::abort();  // a picture outlived its owner
    return 0;
}
