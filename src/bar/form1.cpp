#include "bar/form1.h"

#include "art/builtin_art.h"
#include "bar/clock_format.h"
#include "bar/press_effect.h"
#include "menu/form2.h"
#include "skin/skin_loader.h"

namespace osyl {

TForm1* Form1 = nullptr;

namespace {

WindowSpec bar_spec(const std::string& title) {
    WindowSpec spec;
    spec.name = "Form1";
    spec.bounds = {0, 0, 800, 24};
    spec.role = WindowRole::Main;
    spec.title = title;
    spec.icon = art::main_icon();
    return spec;
}

}  // namespace

TForm1::TForm1(Desktop& desktop, const std::string& title)
    : Window(desktop, bar_spec(title), AutoSize::No),
      Back(add("Back", Rect{0, 0, 800, 23}, art::paint_back)),
      Prg(add("Prg", {9, 5}, art::prg())),
      Razdel1(add("Razdel1", {56, 0}, art::divider())),
      c1(add("c1", {64, 6}, art::digit())),
      c2(add("c2", {75, 6}, art::digit())),
      c4(add("c4", {103, 6}, art::digit())),
      c3(add("c3", {92, 6}, art::digit())),
      Cd(add("Cd", {87, 7}, art::colon())),
      razdel2(add("razdel2", {121, 0}, art::divider())),
      panel(add("panel", {544, 0}, art::panel())),
      Opt(add("Opt", {563, 7}, art::opt())),
      res(add("res", {585, 6}, art::res())),
      shut(add("shut", {609, 6}, art::shut())),
      Cyber(desktop, 1, [this] { CyberTimer(); }),
      m_desktop(desktop),
      m_executable_path(desktop.backend().executable_path()),
      m_locale(desktop.backend().locale_values()) {
    Form1 = this;
    bind_handlers();
    FormCreate();
}

TForm1::~TForm1() { Form1 = nullptr; }

void TForm1::bind_handlers() {
    Prg.on_mouse_down = [this](const MouseEvent& event) { PrgMouseDown(event); };
    Prg.on_mouse_up = [this](const MouseEvent& event) { PrgMouseUp(event); };
    Opt.on_mouse_down = [this](const MouseEvent& event) { OptMouseDown(event); };
    Opt.on_mouse_up = [this](const MouseEvent& event) { OptMouseUp(event); };
    res.on_mouse_down = [this](const MouseEvent& event) { resMouseDown(event); };
    res.on_mouse_up = [this](const MouseEvent& event) { resMouseUp(event); };
    shut.on_mouse_down = [this](const MouseEvent& event) { shutMouseDown(event); };
    shut.on_mouse_up = [this](const MouseEvent& event) { shutMouseUp(event); };
}

void TForm1::FormCreate() {
    Form1->set_top(577);
    Form1->set_left(0);
}

void TForm1::PrgMouseDown(const MouseEvent&) { press_down(Prg); }

// Releasing the start button, with any button and wherever, toggles the menu.
void TForm1::PrgMouseUp(const MouseEvent&) {
    press_up(Prg);
    Form2->set_left(0);
    Form2->set_top(277);
    if (m_menu_shown == 0) {
        m_menu_shown = 1;
        Form2->show();
    } else {
        m_menu_shown = 0;
        Form2->close();
    }
}

void TForm1::OptMouseDown(const MouseEvent&) { press_down(Opt); }
void TForm1::OptMouseUp(const MouseEvent&) { press_up(Opt); }
void TForm1::resMouseDown(const MouseEvent&) { press_down(res); }
void TForm1::resMouseUp(const MouseEvent&) { press_up(res); }
void TForm1::shutMouseDown(const MouseEvent&) { press_down(shut); }
void TForm1::shutMouseUp(const MouseEvent&) { press_up(shut); }

void TForm1::settings_changed() { m_locale = m_desktop.backend().locale_values(); }

// Redraws the digits when the hours and minutes change. The previous digits are taken
// first, so a digit that fails to load is reported once per change, not on every tick.
void TForm1::CyberTimer() {
    Backend& backend = m_desktop.backend();
    ClockDigits digits = clock_digits(backend.local_time(backend.now_ms()), m_locale);
    if (digits == m_previous_digits) return;
    m_previous_digits = digits;
    show_digit(c1, digits[0]);
    show_digit(c2, digits[1]);
    show_digit(c3, digits[2]);
    show_digit(c4, digits[3]);
}

void TForm1::show_digit(Element& digit, char character) {
    std::string name = "skin\\c0.bmp";
    name[6] = character;
    digit.set_picture(load_skin_picture(m_executable_path, name));
}

}  // namespace osyl
