#include "platform/wayland/box_font.h"

#include "platform/errors.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>

namespace osyl::wayland {

namespace {

constexpr int pixel_size = 13;

struct FontFile {
    std::string path;
    int index = 0;
};

FontFile match_monospace() {
    Owned<FcConfig, FcConfigDestroy> config(FcInitLoadConfigAndFonts());
    Owned<FcPattern, FcPatternDestroy> pattern(
        FcNameParse(reinterpret_cast<const FcChar8*>("monospace")));
    if (!config || !pattern) throw DisplayError("fontconfig cannot be read");
    FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    Owned<FcPattern, FcPatternDestroy> match(FcFontMatch(config.get(), pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch)
        throw DisplayError("No monospace font found for the reports");
    FontFile found{reinterpret_cast<const char*>(file), 0};
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &found.index);
    return found;
}

Rgb blend(Rgb under, Rgb ink, unsigned coverage) {
    auto channel = [&](int shift) {
        unsigned a = under >> shift & 0xFF;
        unsigned b = ink >> shift & 0xFF;
        return ((a * (255 - coverage) + b * coverage + 127) / 255) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

}  // namespace

BoxFont::BoxFont() {
    FontFile file = match_monospace();
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) throw DisplayError("FreeType cannot be started");
    m_library.reset(library);
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.path.c_str(), file.index, &face) != 0)
        throw DisplayError("Cannot read the font " + file.path);
    m_face.reset(face);
    FT_Set_Pixel_Sizes(face, 0, pixel_size);
    const FT_Size_Metrics& metrics = face->size->metrics;
    m_ascent = static_cast<int>((metrics.ascender + 63) >> 6);
    m_descent = static_cast<int>((-metrics.descender + 63) >> 6);
    FT_Load_Char(face, 'M', FT_LOAD_DEFAULT);
    m_char_width = std::max(1, static_cast<int>((face->glyph->advance.x + 32) >> 6));
}

void BoxFont::write(Picture& picture, int x, int y, const std::u32string& text, Rgb ink) const {
    for (char32_t c : text) {
        FT_ULong code = FT_Get_Char_Index(m_face.get(), c) != 0 ? c : U'?';
        if (FT_Load_Char(m_face.get(), code, FT_LOAD_RENDER) == 0) draw_glyph(picture, x, y, ink);
        x += m_char_width;
    }
}

void BoxFont::draw_glyph(Picture& picture, int x, int y, Rgb ink) const {
    const FT_GlyphSlot glyph = m_face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        for (unsigned column = 0; column < bitmap.width; ++column) {
            int px = x + glyph->bitmap_left + static_cast<int>(column);
            int py = y - glyph->bitmap_top + static_cast<int>(row);
            if (px < 0 || py < 0 || px >= picture.width() || py >= picture.height()) continue;
            unsigned coverage =
                bitmap.buffer[static_cast<std::ptrdiff_t>(row) * bitmap.pitch + column];
            if (coverage != 0) picture.set(px, py, blend(picture.at(px, py), ink, coverage));
        }
    }
}

}  // namespace osyl::wayland
