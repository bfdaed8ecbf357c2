#include "platform/desktop.h"

#include "platform/element.h"

#include <algorithm>
#include <cstdlib>

namespace osyl {

namespace {

constexpr std::uint32_t double_click_ms = 500;
constexpr int double_click_distance = 4;

template <class T>
void erase_value(std::vector<T*>& list, T* value) {
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

Point relative(Point client, Rect element) {
    return {client.x - element.left, client.y - element.top};
}

void call_handler(Element& target, MouseInput::Action action, const MouseEvent& event) {
    const MouseHandler& handler = action == MouseInput::Action::Down ? target.on_mouse_down
                                  : action == MouseInput::Action::Up ? target.on_mouse_up
                                                                     : target.on_mouse_move;
    if (handler) handler(event);
}

// The time of the input being delivered, for the activations its handlers cause; put back
// when the delivery ends, even by an exception (a report's loop delivers input within).
class EventTime {
public:
    EventTime(std::uint32_t& slot, std::uint32_t time) : m_slot(slot), m_old(slot) {
        m_slot = time;
    }
    EventTime(const EventTime&) = delete;
    EventTime& operator=(const EventTime&) = delete;
    ~EventTime() { m_slot = m_old; }

private:
    std::uint32_t& m_slot;
    std::uint32_t m_old;
};

}  // namespace

Desktop::Desktop(Backend& backend) : m_backend(backend) {
    m_backend.set_modal_tick([this] {
        run_due_timers();
        run_guarded([this] { present_changes(); });
        return next_timer_due();
    });
}

Desktop::~Desktop() { m_backend.set_modal_tick({}); }

Window* Desktop::find(WindowId id) const {
    for (Window* window : m_windows)
        if (window->id() == id) return window;
    return nullptr;
}

void Desktop::attach(Window& window) {
    m_windows.push_back(&window);
    m_stacking.insert(m_stacking.begin(), &window);
}

void Desktop::detach(Window& window) {
    if (m_captured_window == &window) cancel_capture();
    if (m_active == &window) m_active = nullptr;
    if (m_last_press_window == &window) m_last_press_window = nullptr;
    erase_value(m_windows, &window);
    erase_value(m_stacking, &window);
}

void Desktop::attach(Timer& timer) { m_timers.push_back(&timer); }
void Desktop::detach(Timer& timer) { erase_value(m_timers, &timer); }

void Desktop::run_guarded(const std::function<void()>& handler) {
    if (m_guard)
        m_guard(handler);
    else
        handler();
}

// Showing a hidden window runs its show handler first, while it is still invisible; an
// error there is reported and the showing goes on.
void Desktop::show(Window& window) {
    if (!window.m_visible) {
        if (window.on_show) run_guarded(window.on_show);
        window.m_visible = true;
        // Map first: pixels sent to an unmapped window are thrown away by the server.
        m_backend.show_window(window.id());
        present(window);
    }
    activate(window);
}

void Desktop::hide(Window& window) {
    if (!window.m_visible) return;
    window.m_visible = false;
    m_backend.hide_window(window.id());
    window.drop_drawings();
    if (m_active != &window) return;
    m_active = nullptr;
    for (auto it = m_stacking.rbegin(); it != m_stacking.rend(); ++it)
        if ((*it)->visible()) return activate(**it);
}

void Desktop::close(Window& window) {
    if (&window == main_window())
        m_quit = true;
    else
        hide(window);
}

void Desktop::activate(Window& window, std::uint32_t time) {
    raise(window);
    m_active = &window;
    m_backend.activate(window.id(), time != 0 ? time : m_event_time);
}

void Desktop::raise(Window& window) {
    erase_value(m_stacking, &window);
    m_stacking.push_back(&window);
}

Rect Desktop::placed(const Window& window) const {
    return m_backend.actual_bounds(window.id()).value_or(window.bounds());
}

Window* Desktop::window_at(Point screen) const {
    for (auto it = m_stacking.rbegin(); it != m_stacking.rend(); ++it)
        if ((*it)->visible() && placed(**it).contains(screen)) return *it;
    return nullptr;
}

Point Desktop::client_position(const MouseInput& input, const Window& window) const {
    if (input.window == window.id()) return input.position;
    Rect place = placed(window);
    return {input.screen.x - place.left, input.screen.y - place.top};
}

// The window named by the platform is trusted over the list of rectangles, which a window
// manager that moves a window without saying so leaves out of date.
Window* Desktop::window_for(const MouseInput& input, Point& client) const {
    Window* named = input.window != 0 ? find(input.window) : nullptr;
    if (named && named->visible()) {
        Rect size = placed(*named);
        client = input.position;
        if (client.x >= 0 && client.y >= 0 && client.x < size.width && client.y < size.height)
            return named;
    }
    Window* under = window_at(input.screen);
    if (under) client = client_position(input, *under);
    return under;
}

bool Desktop::is_double_click(const MouseInput& input, const Window& window) {
    bool twice = m_last_press_window == &window &&
                 input.time - m_last_press_time <= double_click_ms &&
                 std::abs(input.screen.x - m_last_press_at.x) <= double_click_distance &&
                 std::abs(input.screen.y - m_last_press_at.y) <= double_click_distance;
    // A third press starts a new pair.
    m_last_press_window = twice ? nullptr : &window;
    m_last_press_time = input.time;
    m_last_press_at = input.screen;
    return twice;
}

// Mouse input goes to the element holding the capture, or else to the topmost element under
// the pointer in the window under the pointer, or else to that window itself.
void Desktop::deliver(const MouseInput& input) {
    if (!m_input_enabled) return;
    EventTime current(m_event_time, input.time);
    if (m_captured) return deliver_captured(input);
    Point client;
    Window* window = window_for(input, client);
    if (!window) return;
    bool double_click = false;
    if (input.action == MouseInput::Action::Down) {
        if (m_active != window) activate(*window, input.time);
        if (input.button == Button::Left) double_click = is_double_click(input, *window);
    }
    deliver_to(*window, input, client, double_click);
}

void Desktop::deliver_to(Window& window, const MouseInput& input, Point client, bool double_click) {
    Element* target = window.element_at(client);
    MouseEvent event{input.button, input.modifiers, client, double_click};
    if (!target) {
        if (input.action == MouseInput::Action::Move && window.on_mouse_move)
            window.on_mouse_move(event);
        return;
    }
    event.position = relative(client, target->bounds());
    if (input.action == MouseInput::Action::Down && input.button == Button::Left) {
        m_captured = target;
        m_captured_window = &window;
    }
    call_handler(*target, input.action, event);  // may move or hide things: touch nothing after
}

void Desktop::deliver_captured(const MouseInput& input) {
    Element* target = m_captured;
    MouseEvent event{input.button, input.modifiers,
                     relative(client_position(input, *m_captured_window), target->bounds()), false};
    bool release = input.action == MouseInput::Action::Up && input.button == Button::Left;
    if (release) cancel_capture();
    call_handler(*target, input.action, event);
}

void Desktop::deliver(const KeyInput& input) {
    if (!m_input_enabled) return;
    EventTime current(m_event_time, input.time);
    Window* window = find(input.window);
    if (window && window->visible() && window->on_key_down)
        window->on_key_down(input.key_code, input.modifiers);
}

void Desktop::deliver(const FocusChange& change) { m_active = find(change.window); }

void Desktop::deliver(const VisibilityChange& change) {
    Window* window = find(change.window);
    if (window) window->m_visible = change.visible;
}

// Marked first: a window that fails to present is not retried until it changes again.
void Desktop::present(Window& window) {
    window.mark_presented();
    m_backend.present(window.id(), window.compose());
}

// Hidden windows are composed when they are shown, not before. A shown window whose
// change covers part of it sends only that part.
void Desktop::present_changes() {
    for (Window* window : m_windows) {
        if (!window->visible() || !window->dirty()) continue;
        Rect area = window->damage();
        if (area == window->client_area()) {
            present(*window);
        } else {
            window->mark_presented();
            m_backend.update(window->id(), area, window->compose(area));
        }
    }
}

std::optional<std::int64_t> Desktop::next_timer_due() const {
    std::optional<std::int64_t> due;
    for (const Timer* timer : m_timers)
        if (timer->enabled() && (!due || timer->due_ms() < *due)) due = timer->due_ms();
    return due;
}

void Desktop::clock_changed() {
    for (Timer* timer : m_timers) timer->make_due();
}

void Desktop::run_due_timers() {
    std::int64_t now = m_backend.now_ms();
    // By index: a handler may open a report whose nested loop runs timers too. An idle
    // pass allocates nothing.
    for (std::size_t i = 0; i < m_timers.size(); ++i) {
        Timer* timer = m_timers[i];
        timer->follow_clock(now);
        if (timer->enabled() && now >= timer->due_ms())
            run_guarded([timer, now] { timer->fire_if_due(now); });
    }
}

}  // namespace osyl
