#include "menu/form2.h"

#include "art/builtin_art.h"
#include "bar/press_effect.h"
#include "platform/errors.h"
#include "skin/skin_loader.h"

namespace osyl {

TForm2* Form2 = nullptr;

namespace {

WindowSpec menu_spec() {
    WindowSpec spec;
    spec.name = "Form2";
    spec.bounds = {0, 0, 200, 300};
    spec.role = WindowRole::Popup;
    return spec;
}

// Row 10 first, then rows 1 to 9; within a row this column order. It decides which cell
// lies above its neighbour when letter pictures are larger than a cell.
constexpr int row_order[] = {10, 1, 2, 3, 4, 5, 6, 7, 8, 9};
constexpr int column_order[] = {1, 2, 3, 6, 5, 4, 9, 8, 7, 10};

int row_top(int row) { return 9 + 24 * (row - 1); }

}  // namespace

TForm2::TForm2(Desktop& desktop)
    : osyl::Window(desktop, menu_spec(), AutoSize::Yes),
      // The background is most of the menu's memory: held only while the menu shows.
      Window(add("Window", Rect{0, 0, 200, 300}, art::paint_window)),
      m_cells(create_glyph_cells()),
      Home(add("Home", {4, 203}, art::home())),
      Mail(add("Mail", {4, 227}, art::mail())),
      Chel(add("Chel", {4, 251}, art::chel())),
      Ukaz(add("Ukaz", {38, 9}, art::ukaz())),
      sleft(add("sleft", {128, 264}, art::sleft())),
      sright(add("sright", {166, 264}, art::sright())),
      m_desktop(desktop),
      m_executable_path(desktop.backend().executable_path()) {
    Form2 = this;
    bind_handlers();
}

TForm2::~TForm2() { Form2 = nullptr; }

TForm2::Cells TForm2::create_glyph_cells() {
    Cells cells{};
    auto blank = std::make_shared<const Picture>(art::blank_cell());  // one for all cells
    for (int row : row_order) {
        for (int column : column_order) {
            std::string name = "b";
            name += std::to_string(10 * row + column);
            Element& cell = add(std::move(name), Point{41 + 12 * column, row_top(row)}, blank);
            cell.on_mouse_move = [this, row](const MouseEvent&) { GlyphCellMouseMove(row); };
            cells[static_cast<std::size_t>((row - 1) * columns + column - 1)] = &cell;
        }
    }
    return cells;
}

void TForm2::bind_handlers() {
    on_show = [this] { FormShow(); };
    on_key_down = [this](int key_code, Modifiers modifiers) { FormKeyDown(key_code, modifiers); };
    on_mouse_move = [this](const MouseEvent& event) { FormMouseMove(event); };
    Home.on_mouse_down = [this](const MouseEvent& event) { HomeMouseDown(event); };
    Home.on_mouse_up = [this](const MouseEvent& event) { HomeMouseUp(event); };
    Mail.on_mouse_down = [this](const MouseEvent& event) { MailMouseDown(event); };
    Mail.on_mouse_up = [this](const MouseEvent& event) { MailMouseUp(event); };
    Chel.on_mouse_down = [this](const MouseEvent& event) { ChelMouseDown(event); };
    Chel.on_mouse_up = [this](const MouseEvent& event) { ChelMouseUp(event); };
    sleft.on_mouse_down = [this](const MouseEvent& event) { sleftMouseDown(event); };
    sleft.on_mouse_up = [this](const MouseEvent& event) { sleftMouseUp(event); };
    sright.on_mouse_down = [this](const MouseEvent& event) { srightMouseDown(event); };
    sright.on_mouse_up = [this](const MouseEvent& event) { srightMouseUp(event); };
}

// Reads the label file from the working directory afresh and draws each letter of the
// first ten characters of the first ten lines. Cells without a letter keep what they show.
// The file is closed on every path, also when a letter picture fails to load.
void TForm2::FormShow() {
    TextFile label_file;
    label_file.open("osyl.dat");
    for (int row = 1; row <= rows; ++row) {
        label_file.read_line(m_current_line, columns);
        draw_label(row);
    }
    label_file.close();
}

void TForm2::draw_label(int row) {
    for (int column = 1; column <= columns; ++column) {
        if (static_cast<std::size_t>(column) > m_current_line.size()) return;
        char lower = static_cast<char>(m_current_line[column - 1] | 0x20);
        if (lower < 'a' || lower > 'z') continue;
        std::string name = "skin\\ba.bmp";
        name[6] = lower;
        cell(row, column).set_picture(load_skin_picture(m_executable_path, name));
    }
}

void TForm2::FormKeyDown(int key_code, Modifiers) {
    if (key_code == key_insert) throw Halt{0};
}

// Reached only where letter pictures have grown the window beyond its background.
void TForm2::FormMouseMove(const MouseEvent&) {
    if (m_desktop.active_window() != this) m_desktop.activate(*this);
}

void TForm2::GlyphCellMouseMove(int row) { Ukaz.set_top(row_top(row)); }

void TForm2::HomeMouseDown(const MouseEvent&) { press_down(Home); }
void TForm2::HomeMouseUp(const MouseEvent&) { press_up(Home); }
void TForm2::MailMouseDown(const MouseEvent&) { press_down(Mail); }
void TForm2::MailMouseUp(const MouseEvent&) { press_up(Mail); }
void TForm2::ChelMouseDown(const MouseEvent&) { press_down(Chel); }
void TForm2::ChelMouseUp(const MouseEvent&) { press_up(Chel); }
void TForm2::sleftMouseDown(const MouseEvent&) { press_down(sleft); }
void TForm2::sleftMouseUp(const MouseEvent&) { press_up(sleft); }
void TForm2::srightMouseDown(const MouseEvent&) { press_down(sright); }
void TForm2::srightMouseUp(const MouseEvent&) { press_up(sright); }

}  // namespace osyl
