#include "support/headless_backend.h"

#include <algorithm>

namespace osyl {

namespace {
constexpr int key_return = 13;  // virtual key code of Enter
// Local midnight of the day the scripted clock runs on.
constexpr std::int64_t base_day_ms = 1767225600000;  // 2026-01-01
constexpr std::int64_t day_ms = 86'400'000;

// A display that goes away still holding some leaves them counted.
std::size_t windows_held = 0;
std::size_t ticks_held = 0;

}  // namespace

HeadlessBackend::HeadlessBackend() : m_now_ms(base_day_ms + 12LL * 3'600'000) {
    m_locale.leading_zero = true;
    m_locale.twelve_hour = false;
}

void HeadlessBackend::set_time(int hour, int minute, int second, int millisecond) {
    m_now_ms =
        base_day_ms + ((hour * 60 + minute) * 60 + second - m_utc_offset_s) * 1000LL + millisecond;
}

LocalTime HeadlessBackend::local_time(std::int64_t epoch_ms) {
    std::int64_t local_ms = epoch_ms + m_utc_offset_s * 1000LL;
    std::int64_t seconds = ((local_ms % day_ms) + day_ms) % day_ms / 1000;
    return {static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
            static_cast<int>(seconds % 60)};
}

void HeadlessBackend::mouse(MouseInput::Action action, Point screen, Button button,
                            Modifiers modifiers) {
    m_script.emplace_back(Event{MouseInput{action, button, screen, modifiers, 0, 0, {}}});
}

void HeadlessBackend::press(Point screen, Button button, Modifiers modifiers) {
    mouse(MouseInput::Action::Down, screen, button, modifiers);
}

void HeadlessBackend::release(Point screen, Button button, Modifiers modifiers) {
    mouse(MouseInput::Action::Up, screen, button, modifiers);
}

void HeadlessBackend::move(Point screen, Modifiers modifiers) {
    mouse(MouseInput::Action::Move, screen, Button::Left, modifiers);
}

void HeadlessBackend::click(Point screen, Button button) {
    press(screen, button);
    release(screen, button);
}

void HeadlessBackend::key(int key_code, Modifiers modifiers) {
    m_script.emplace_back(KeyToFocus{key_code, modifiers});
}

void HeadlessBackend::close(const std::string& window_name) {
    m_script.emplace_back(Close{window_name});
}
void HeadlessBackend::dismiss_box() { m_script.emplace_back(Dismiss{}); }
void HeadlessBackend::quit() { m_script.emplace_back(Event{QuitRequest{}}); }
void HeadlessBackend::settings_changed() { m_script.emplace_back(Event{SettingsChanged{}}); }

std::int64_t HeadlessBackend::script_end_time() const {
    std::int64_t end = m_now_ms;
    for (const Step& step : m_script) {
        if (const auto* advance = std::get_if<Advance>(&step)) end = advance->until_ms;
        if (const auto* jump = std::get_if<StepClock>(&step)) end += jump->by_ms;
    }
    return end;
}

void HeadlessBackend::step_clock(std::int64_t ms) { m_script.emplace_back(StepClock{ms}); }

void HeadlessBackend::advance(std::int64_t ms) {
    m_script.emplace_back(Advance{script_end_time() + ms});
}

const HeadlessBackend::WindowState& HeadlessBackend::window(const std::string& name) const {
    for (const auto& [id, state] : m_windows)
        if (state.spec.name == name) return state;
    throw std::out_of_range("no window " + name);
}

bool HeadlessBackend::has_window(const std::string& name) const {
    return std::any_of(m_windows.begin(), m_windows.end(),
                       [&](const auto& entry) { return entry.second.spec.name == name; });
}

std::string HeadlessBackend::focused_window() const {
    auto it = m_windows.find(m_focused);
    return it == m_windows.end() ? std::string() : it->second.spec.name;
}

std::size_t HeadlessBackend::open_boxes() const {
    return static_cast<std::size_t>(std::count_if(m_boxes.begin(), m_boxes.end(),
                                                  [](const BoxRecord& box) { return box.open; }));
}

HeadlessBackend::WindowState& HeadlessBackend::state(WindowId window) {
    auto it = m_windows.find(window);
    if (it == m_windows.end()) throw std::logic_error("unknown window");
    return it->second;
}

std::size_t HeadlessBackend::windows_everywhere() { return windows_held; }
std::size_t HeadlessBackend::ticks_everywhere() { return ticks_held; }

void HeadlessBackend::set_modal_tick(ModalTick tick) {
    bool held = static_cast<bool>(tick);
    if (held != m_tick_held) held ? ++ticks_held : --ticks_held;
    m_tick_held = held;
}

WindowId HeadlessBackend::create_window(const WindowSpec& spec) {
    WindowId id = m_next_id++;
    m_windows[id] = WindowState{spec, spec.bounds, false, Picture(), {}, 0};
    ++windows_held;
    return id;
}

void HeadlessBackend::destroy_window(WindowId window) {
    windows_held -= m_windows.erase(window);
    if (m_focused == window) m_focused = 0;
}

void HeadlessBackend::set_bounds(WindowId window, Rect bounds) { state(window).bounds = bounds; }
void HeadlessBackend::show_window(WindowId window) { state(window).shown = true; }

void HeadlessBackend::hide_window(WindowId window) {
    state(window).shown = false;
    if (m_focused == window) m_focused = 0;
}

void HeadlessBackend::activate(WindowId window, std::uint32_t) {
    if (!state(window).shown) return;
    m_focused = window;
    m_box_focused = false;
}

void HeadlessBackend::present(WindowId window, Picture pixels) {
    WindowState& s = state(window);
    s.last_sent = {0, 0, pixels.width(), pixels.height()};
    ++s.sends;
    s.pixels = std::move(pixels);
}

void HeadlessBackend::update(WindowId window, Rect area, const Picture& pixels) {
    WindowState& s = state(window);
    s.last_sent = area;
    ++s.sends;
    s.pixels.blit(pixels, area.left, area.top);
}

// A box takes the keyboard from the program's windows, and gives it to the box below when
// it closes, as on a real display.
BoxId HeadlessBackend::open_message_box(const MessageBoxSpec& spec) {
    m_focused = 0;
    m_box_focused = true;
    BoxId id = static_cast<BoxId>(m_boxes.size() + 1);
    m_boxes.push_back({id, spec, true});
    return id;
}

void HeadlessBackend::close_message_box(BoxId box) {
    if (box >= 1 && box <= m_boxes.size()) m_boxes[box - 1].open = false;
    m_box_focused = open_boxes() > 0;
}

std::optional<Event> HeadlessBackend::dismiss_top_box() {
    for (auto it = m_boxes.rbegin(); it != m_boxes.rend(); ++it)
        if (it->open) return Event{BoxDismissed{it->id}};
    return std::nullopt;
}

std::optional<Event> HeadlessBackend::resolve(const Step& step) {
    if (const auto* event = std::get_if<Event>(&step)) {
        Event copy = *event;
        if (auto* input = std::get_if<MouseInput>(&copy))
            input->time = static_cast<std::uint32_t>(m_now_ms);
        return copy;
    }
    if (const auto* key = std::get_if<KeyToFocus>(&step))
        return Event{KeyInput{m_focused, key->key_code, key->modifiers}};
    if (std::holds_alternative<Dismiss>(step)) {
        if (m_box_focused) return dismiss_top_box();
        return Event{KeyInput{m_focused, key_return, 0}};
    }
    if (const auto* close = std::get_if<Close>(&step)) {
        for (const auto& [id, state] : m_windows)
            if (state.spec.name == close->window_name) return Event{CloseRequest{id}};
    }
    return std::nullopt;
}

// Plays the script: timers that fall due on the way get their turn (nothing is returned),
// and an advance of the clock stops at every due time.
std::optional<Event> HeadlessBackend::next_event(std::optional<std::int64_t> deadline_ms) {
    while (true) {
        if (deadline_ms && *deadline_ms <= m_now_ms) return std::nullopt;
        if (m_script.empty()) {
            if (open_boxes() == 0) return std::nullopt;
            if (!m_auto_dismiss) throw std::logic_error("script ended with a message box open");
            return dismiss_top_box();
        }
        if (const auto* advance = std::get_if<Advance>(&m_script.front())) {
            if (deadline_ms && *deadline_ms < advance->until_ms) {
                m_now_ms = *deadline_ms;
                return std::nullopt;
            }
            m_now_ms = advance->until_ms;
            m_script.pop_front();
            continue;
        }
        if (const auto* jump = std::get_if<StepClock>(&m_script.front())) {
            m_now_ms += jump->by_ms;
            m_script.pop_front();
            return std::nullopt;  // as a real wait would end on a clock step
        }
        Step step = m_script.front();
        m_script.pop_front();
        if (auto event = resolve(step)) return event;
    }
}

}  // namespace osyl
