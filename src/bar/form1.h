#pragma once

#include "bar/clock_format.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/element.h"
#include "platform/timer.h"
#include "platform/window.h"

#include <cstdint>
#include <string>

namespace osyl {

// The bar at the bottom of the screen: the start button, the clock and the panel buttons.
class TForm1 : public Window {
public:
    TForm1(Desktop& desktop, const std::string& title);
    ~TForm1() override;

    void FormCreate();
    void PrgMouseDown(const MouseEvent& event);
    void PrgMouseUp(const MouseEvent& event);
    void OptMouseDown(const MouseEvent& event);
    void OptMouseUp(const MouseEvent& event);
    void resMouseDown(const MouseEvent& event);
    void resMouseUp(const MouseEvent& event);
    void shutMouseDown(const MouseEvent& event);
    void shutMouseUp(const MouseEvent& event);
    void CyberTimer();

    // The user's time format changed: read it again; the next tick follows it.
    void settings_changed();
    std::int32_t menu_shown() const { return m_menu_shown; }

    // In creation order: later elements lie above earlier ones.
    Element& Back;
    Element& Prg;
    Element& Razdel1;
    Element& c1;
    Element& c2;
    Element& c4;
    Element& c3;
    Element& Cd;
    Element& razdel2;
    Element& panel;
    Element& Opt;
    Element& res;
    Element& shut;
    Timer Cyber;

private:
    void bind_handlers();
    void show_digit(Element& digit, char character);

    Desktop& m_desktop;
    std::string m_executable_path;
    LocaleValues m_locale;
    // 1 when the start button last showed the menu; it does not follow the menu's real
    // visibility (a menu closed by the window manager still counts as shown).
    std::int32_t m_menu_shown = 0;
    ClockDigits m_previous_digits{};  // no digits at all until the first tick
};

// The bar window, set while it is being created and valid until the program ends.
extern TForm1* Form1;

}  // namespace osyl
