// Writes one small valid file of each format the reader accepts, as seeds for bmp_fuzz.
// Usage: bmp_seed_corpus <folder>

#include "skin/bmp_builder.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

using osyl::test::BmpFile;

void save(const std::filesystem::path& folder, const std::string& name, const BmpFile& file) {
    std::ofstream out(folder / (name + ".bmp"), std::ios::binary | std::ios::trunc);
    out << osyl::test::as_string(file.bytes());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: bmp_seed_corpus <folder>\n";
        return 2;
    }
    namespace t = osyl::test;
    std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    t::Image img = t::sample_image();
    t::Image two = t::two_colour_image();
    const std::array<std::uint32_t, 3> rgb565 = {0xF800, 0x07E0, 0x001F};
    const std::array<std::uint32_t, 3> bgr32 = {0xFF, 0xFF00, 0xFF0000};

    for (std::uint16_t bpp : {1, 4, 8, 24}) {
        BmpFile core = t::make_bmp(bpp == 1 ? two : img, bpp);
        core.header_size = 12;
        save(folder, "core_" + std::to_string(bpp), core);
    }
    for (std::uint16_t bpp : {1, 4, 8, 16, 24, 32})
        save(folder, "info_" + std::to_string(bpp), t::make_bmp(bpp == 1 ? two : img, bpp));
    save(folder, "top_down_24", t::make_bmp(img, 24, true));
    save(folder, "masks_16", t::make_masked_bmp(img, 16, rgb565));
    save(folder, "masks_32", t::make_masked_bmp(img, 32, bgr32));
    save(folder, "v2_16", t::make_masked_bmp(img, 16, rgb565, 52));
    save(folder, "v5_32", t::make_masked_bmp(img, 32, bgr32, 124));
    BmpFile v4 = t::make_bmp(img, 8);
    v4.header_size = 108;
    v4.palette.resize(7);
    v4.colours_used = 7;
    save(folder, "v4_8", v4);
    save(folder, "rle8", t::make_rle_bmp(img, 8));
    save(folder, "rle4", t::make_rle_bmp(img, 4));
    return std::cout.good() ? 0 : 1;
}
