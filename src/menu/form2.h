#pragma once

#include "platform/desktop.h"
#include "platform/element.h"
#include "platform/text_file.h"
#include "platform/window.h"

#include <array>
#include <string>

namespace osyl {

// The pop-up menu: ten label rows drawn letter by letter from the skin's letter pictures,
// a pointer marker that follows the row under the mouse, and five push-buttons.
class TForm2 : public osyl::Window {
public:
    static constexpr int rows = 10;
    static constexpr int columns = 10;

    explicit TForm2(Desktop& desktop);
    ~TForm2() override;

    void FormShow();
    void FormKeyDown(int key_code, Modifiers modifiers);
    void FormMouseMove(const MouseEvent& event);
    // The mouse-move handler of every glyph cell of a row.
    void GlyphCellMouseMove(int row);
    void HomeMouseDown(const MouseEvent& event);
    void HomeMouseUp(const MouseEvent& event);
    void MailMouseDown(const MouseEvent& event);
    void MailMouseUp(const MouseEvent& event);
    void ChelMouseDown(const MouseEvent& event);
    void ChelMouseUp(const MouseEvent& event);
    void sleftMouseDown(const MouseEvent& event);
    void sleftMouseUp(const MouseEvent& event);
    void srightMouseDown(const MouseEvent& event);
    void srightMouseUp(const MouseEvent& event);

    // The glyph cell of row and column, both from 1 ("b11" ... "b110").
    Element& cell(int row, int column) const {
        return *m_cells[static_cast<std::size_t>((row - 1) * columns + column - 1)];
    }

    // In creation order; the glyph cells come right after the background.
    Element& Window;

private:
    using Cells = std::array<Element*, std::size_t{rows} * columns>;
    Cells create_glyph_cells();
    void bind_handlers();
    void draw_label(int row);

    Cells m_cells;

public:
    Element& Home;
    Element& Mail;
    Element& Chel;
    Element& Ukaz;
    Element& sleft;
    Element& sright;

private:
    Desktop& m_desktop;
    std::string m_executable_path;
    std::string m_current_line;
};

// The menu window, set while it is being created and valid until the program ends.
extern TForm2* Form2;

}  // namespace osyl
