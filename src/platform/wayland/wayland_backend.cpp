#include "platform/wayland/wayland_backend.h"

#include "platform/posix/event_wait.h"
#include "platform/posix/keysyms.h"
#include "platform/process.h"
#include "platform/wayland/box_font.h"
#include "platform/wayland/layer_window.h"
#include "platform/wayland/report_box.h"
#include "platform/wayland/wayland_display.h"
#include "platform/wayland/wayland_seat.h"

#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <utility>

namespace osyl {

namespace wayland {

namespace {

// A read of the display socket prepared before the wait: cancelled unless it is done.
class PreparedRead {
public:
    explicit PreparedRead(wl_display* display) : m_display(display) {}
    PreparedRead(const PreparedRead&) = delete;
    PreparedRead& operator=(const PreparedRead&) = delete;
    ~PreparedRead() {
        if (m_display != nullptr) wl_display_cancel_read(m_display);
    }
    void read() { wl_display_read_events(std::exchange(m_display, nullptr)); }

private:
    wl_display* m_display;
};

// The bar and the menu as layer surfaces, reports as toplevels; input and focus turned into
// the core's events, which the protocol listeners queue.
class WaylandBackend final : public Backend, private SeatListener {
public:
    WaylandBackend() : m_seat(m_display, *this) { m_display.roundtrip(); }

    WindowId create_window(const WindowSpec& spec) override;
    void destroy_window(WindowId window) override;
    void set_bounds(WindowId window, Rect bounds) override;
    void show_window(WindowId window) override;
    void hide_window(WindowId window) override;
    void activate(WindowId window, std::uint32_t time) override;
    std::optional<Rect> actual_bounds(WindowId window) const override;
    void present(WindowId window, Picture pixels) override;
    void update(WindowId window, Rect area, const Picture& pixels) override;
    BoxId open_message_box(const MessageBoxSpec& spec) override;
    void close_message_box(BoxId box) override;
    // Reports run in the program's own loop, which ticks.
    void set_modal_tick(ModalTick /*tick*/) override {}
    std::optional<Event> next_event(std::optional<std::int64_t> deadline_ms) override;
    std::int64_t now_ms() override { return wall_clock_ms(); }
    LocalTime local_time(std::int64_t epoch_ms) override { return local_time_of(epoch_ms); }
    LocaleValues locale_values() override { return read_locale_values(); }
    std::string executable_path() override { return current_executable_path(); }

private:
    void pointer(const PointerEvent& event) override;
    void key(const KeyEvent& event) override;
    void keyboard_focus(wl_surface* surface) override;

    LayerWindow* find_window(WindowId id) const;
    std::pair<WindowId, LayerWindow*> window_of(wl_surface* surface) const;
    ReportBox* box_of(wl_surface* surface) const;
    int margin_bottom(WindowId id, Rect bounds) const;
    void remove_box(BoxId box);
    void give_keyboard_to_windows(bool give);
    std::optional<Event> take_queued();
    Event lost();

    posix::EventWait m_wait;  // first: signals end the program from the start on
    Display m_display;        // everything below uses it
    BoxFont m_font;
    std::deque<Event> m_events;  // queued by the listeners
    Seat m_seat;
    std::map<WindowId, std::unique_ptr<LayerWindow>> m_windows;
    std::map<BoxId, std::unique_ptr<ReportBox>> m_boxes;
    WindowId m_main = 0;
    WindowId m_keyboard_window = 0;  // ours that has the keyboard
    WindowId m_next_window = 1;
    BoxId m_next_box = 1;
    bool m_lost = false;  // the lost connection was written to standard error
};

LayerWindow* WaylandBackend::find_window(WindowId id) const {
    auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : it->second.get();
}

std::pair<WindowId, LayerWindow*> WaylandBackend::window_of(wl_surface* surface) const {
    for (const auto& [id, window] : m_windows)
        if (surface != nullptr && window->surface() == surface) return {id, window.get()};
    return {0, nullptr};
}

ReportBox* WaylandBackend::box_of(wl_surface* surface) const {
    for (const auto& [id, box] : m_boxes)
        if (box->surface() == surface) return box.get();
    return nullptr;
}

// A window other than the bar keeps its place relative to the bar, which sits on the
// output's bottom edge: the menu asked to end where the bar begins, so it lies on the bar.
int WaylandBackend::margin_bottom(WindowId id, Rect bounds) const {
    LayerWindow* main = find_window(m_main);
    if (main == nullptr || id == m_main) return 0;
    return main->bounds().bottom() - bounds.bottom();
}

WindowId WaylandBackend::create_window(const WindowSpec& spec) {
    WindowId id = m_next_window++;
    auto window = std::make_unique<LayerWindow>(m_display, m_events, id, spec.role);
    if (spec.role == WindowRole::Main && m_main == 0) m_main = id;
    window->place(spec.bounds, margin_bottom(id, spec.bounds));
    m_windows.emplace(id, std::move(window));
    return id;
}

void WaylandBackend::destroy_window(WindowId window) {
    hide_window(window);
    if (m_main == window) m_main = 0;
    m_windows.erase(window);
}

void WaylandBackend::set_bounds(WindowId window, Rect bounds) {
    LayerWindow* w = find_window(window);
    if (w == nullptr) return;
    w->place(bounds, margin_bottom(window, bounds));
    if (window != m_main) return;
    for (auto& [id, other] : m_windows)
        if (id != m_main) other->place(other->bounds(), margin_bottom(id, other->bounds()));
}

void WaylandBackend::show_window(WindowId window) {
    if (LayerWindow* w = find_window(window)) w->show();
}

void WaylandBackend::hide_window(WindowId window) {
    LayerWindow* w = find_window(window);
    if (w == nullptr || !w->shown()) return;
    m_seat.forget(w->surface());
    w->hide();
}

// Windows are raised by their layer; only the keyboard can be asked for. While a report is
// open the report keeps it.
void WaylandBackend::activate(WindowId window, std::uint32_t /*time*/) {
    LayerWindow* w = find_window(window);
    if (w != nullptr && m_boxes.empty() && window != m_keyboard_window) w->request_keyboard();
}

std::optional<Rect> WaylandBackend::actual_bounds(WindowId window) const {
    LayerWindow* w = find_window(window);
    if (w == nullptr) return std::nullopt;
    return w->actual();
}

void WaylandBackend::present(WindowId window, Picture pixels) {
    if (LayerWindow* w = find_window(window)) w->present(std::move(pixels));
}

void WaylandBackend::update(WindowId window, Rect area, const Picture& pixels) {
    if (LayerWindow* w = find_window(window)) w->update(area, pixels);
}

// On sway a layer surface keeps the keyboard it got by a click even when a toplevel
// appears, so the bar and the menu let it go while a report is open.
void WaylandBackend::give_keyboard_to_windows(bool give) {
    for (auto& [id, window] : m_windows) window->set_keyboard(give);
}

BoxId WaylandBackend::open_message_box(const MessageBoxSpec& spec) {
    BoxId id = m_next_box++;
    m_boxes.emplace(id, std::make_unique<ReportBox>(m_display, m_font, spec, m_events, id));
    give_keyboard_to_windows(false);
    return id;
}

void WaylandBackend::close_message_box(BoxId box) { remove_box(box); }

void WaylandBackend::remove_box(BoxId box) {
    auto it = m_boxes.find(box);
    if (it == m_boxes.end()) return;
    m_seat.forget(it->second->surface());
    m_boxes.erase(it);
    if (m_boxes.empty()) give_keyboard_to_windows(true);
}

// A dismissed box goes at once, before the core hears of it.
std::optional<Event> WaylandBackend::take_queued() {
    if (m_events.empty()) return std::nullopt;
    Event event = std::move(m_events.front());
    m_events.pop_front();
    if (const auto* dismissed = std::get_if<BoxDismissed>(&event)) remove_box(dismissed->box);
    return event;
}

Event WaylandBackend::lost() {
    if (!std::exchange(m_lost, true))
        std::fputs("osyl: lost the connection to the Wayland display\n", stderr);
    return QuitRequest{};
}

// Nothing waits in the client's queue while the loop sleeps: the read is prepared first,
// and what arrived before it is dispatched.
std::optional<Event> WaylandBackend::next_event(std::optional<std::int64_t> deadline_ms) {
    wl_display* display = m_display.get();
    for (;;) {
        if (wl_display_dispatch_pending(display) < 0 || m_display.lost()) return lost();
        if (auto event = take_queued()) return event;
        if (wl_display_prepare_read(display) != 0) continue;
        PreparedRead read(display);
        wl_display_flush(display);
        switch (m_wait.wait(m_display.fd(), deadline_ms)) {
            case posix::EventWait::Woke::Display: read.read(); break;
            case posix::EventWait::Woke::Deadline: return std::nullopt;
            case posix::EventWait::Woke::SettingsChanged: return SettingsChanged{};
            case posix::EventWait::Woke::Quit: return QuitRequest{};
        }
    }
}

void WaylandBackend::pointer(const PointerEvent& event) {
    if (ReportBox* box = box_of(event.surface)) {
        if (event.action == MouseInput::Action::Down) box->button_press(event.at);
        if (event.action == MouseInput::Action::Up) box->button_release(event.at);
        return;
    }
    auto [id, window] = window_of(event.surface);
    if (window == nullptr) return;
    Rect place = window->actual();
    Point screen{place.left + event.at.x, place.top + event.at.y};
    m_events.push_back(
        MouseInput{event.action, event.button, screen, event.modifiers, event.time, id, event.at});
}

void WaylandBackend::key(const KeyEvent& event) {
    if (ReportBox* box = box_of(event.surface)) return box->key_press(event.keysym);
    auto [id, window] = window_of(event.surface);
    if (window == nullptr) return;
    m_events.push_back(
        KeyInput{id, posix::virtual_key_code(event.keysym), event.modifiers, event.time});
}

void WaylandBackend::keyboard_focus(wl_surface* surface) {
    auto [id, window] = window_of(surface);
    m_keyboard_window = id;
    if (window != nullptr) {
        window->keyboard_arrived();
        m_events.push_back(FocusChange{id});
    } else if (surface == nullptr) {
        m_events.push_back(FocusChange{0});
    }
}

}  // namespace

}  // namespace wayland

std::unique_ptr<Backend> make_wayland_backend() {
    return std::make_unique<wayland::WaylandBackend>();
}

}  // namespace osyl
