#pragma once

// Internal to the Wayland backend.

#include "platform/picture.h"
#include "platform/wayland/wl_owned.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace osyl::wayland {

// The text font of the reports: fontconfig's match for "monospace" at 13 pixels, drawn by
// FreeType with grey edges. One cell per character, as the X11 box's "fixed".
class BoxFont {
public:
    // Throws DisplayError when no font can be found or read.
    BoxFont();

    int char_width() const { return m_char_width; }
    int ascent() const { return m_ascent; }
    int descent() const { return m_descent; }
    // Writes the text with its baseline at y, in ink over what is there; a character the
    // font lacks shows as "?".
    void write(Picture& picture, int x, int y, const std::u32string& text, Rgb ink) const;

private:
    void draw_glyph(Picture& picture, int x, int y, Rgb ink) const;

    Owned<FT_LibraryRec_, FT_Done_FreeType> m_library;
    Owned<FT_FaceRec_, FT_Done_Face> m_face;
    int m_char_width = 0;
    int m_ascent = 0;
    int m_descent = 0;
};

}  // namespace osyl::wayland
