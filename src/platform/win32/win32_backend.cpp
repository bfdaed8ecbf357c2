#include "platform/win32/win32_backend.h"
#include "platform/win32/text_win32.h"

#include "platform/errors.h"
#include "platform/process.h"
#include "platform/win32/win32_boxes.h"
#include "platform/win32/win32_input.h"
#include "platform/win32/win32_window.h"

#include <windows.h>

#include <algorithm>
#include <deque>
#include <exception>
#include <map>
#include <utility>
#include <vector>

namespace osyl {

namespace win32 {

namespace {

class Win32Backend final : public Backend {
public:
    Win32Backend();
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;
    ~Win32Backend() override;

    WindowId create_window(const WindowSpec& spec) override;
    void destroy_window(WindowId window) override;
    void set_bounds(WindowId window, Rect bounds) override;
    void show_window(WindowId window) override;
    void hide_window(WindowId window) override;
    void activate(WindowId window, std::uint32_t time) override;
    void present(WindowId window, Picture pixels) override;
    void update(WindowId window, Rect area, const Picture& pixels) override;
    BoxId open_message_box(const MessageBoxSpec& spec) override;
    void close_message_box(BoxId box) override;
    void set_modal_tick(ModalTick tick) override { m_boxes.set_tick(std::move(tick)); }
    std::optional<Event> next_event(std::optional<std::int64_t> deadline_ms) override;
    std::int64_t now_ms() override { return wall_clock_ms(); }
    LocalTime local_time(std::int64_t epoch_ms) override { return local_time_of(epoch_ms); }
    LocaleValues locale_values() override { return read_locale_values(); }
    std::string executable_path() override { return current_executable_path(); }

private:
    static LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
    LRESULT on_message(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
    LRESULT on_application_message(UINT message, WPARAM wp, LPARAM lp);
    LRESULT on_form_message(WindowId id, FormWindow& form, UINT message, WPARAM wp, LPARAM lp);
    void on_mouse(WindowId id, FormWindow& form, UINT message, WPARAM wp);

    FormWindow* find(WindowId window);
    WindowId id_of(HWND hwnd) const;
    bool any_form_visible() const;
    std::vector<HWND> all_windows() const;
    void run_box(std::optional<std::int64_t> deadline_ms);
    void show_first(WindowId window, FormWindow& form);
    void minimize_all();
    void restore_all();
    void focus_last_active();

    StartMode m_start_mode;
    WindowClass m_application_class;
    WindowClass m_form_class;
    UniqueWindow m_application;  // after the classes: destroyed before they are unregistered
    ModalBoxes m_boxes;          // its timer is on the application window
    std::map<WindowId, std::unique_ptr<FormWindow>> m_forms;
    WindowId m_next_id = 1;
    WindowId m_main = 0;
    WindowId m_last_active = 0;
    bool m_first_show_done = false;
    bool m_minimized = false;
    std::vector<WindowId> m_hidden_by_minimize;
    std::deque<Event> m_events;
    // An exception from inside a window procedure, rethrown once outside the system's frames.
    std::exception_ptr m_error;
};

StartMode launcher_start_mode() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return start_mode_of((startup.dwFlags & STARTF_USESHOWWINDOW) != 0, startup.wShowWindow);
}

HICON application_icon() {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    return icon != nullptr ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

// Zero-sized, so only its task-bar button shows; it is what the popups belong to.
UniqueWindow create_application_window(const WindowClass& window_class) {
    UniqueWindow window(
        CreateWindowExW(0, window_class.name(), L"",
                        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS, 0, 0,
                        0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!window)
        throw SystemError(static_cast<int>(GetLastError()), "Cannot create the application window");
    return window;
}

Win32Backend::Win32Backend()
    : m_start_mode(launcher_start_mode()),
      m_application_class(L"OsylApplication", window_procedure, application_icon()),
      m_form_class(L"OsylForm", window_procedure, nullptr),
      m_application(create_application_window(m_application_class)),
      m_boxes(m_application.get()) {
    attach(m_application.get(), this);
}

// Windows being destroyed still send messages; they must not reach members already gone.
Win32Backend::~Win32Backend() {
    for (const auto& [id, form] : m_forms) attach(form->hwnd(), nullptr);
    attach(m_application.get(), nullptr);
}

FormWindow* Win32Backend::find(WindowId window) {
    auto it = m_forms.find(window);
    return it == m_forms.end() ? nullptr : it->second.get();
}

WindowId Win32Backend::id_of(HWND hwnd) const {
    for (const auto& [id, form] : m_forms)
        if (form->hwnd() == hwnd) return id;
    return 0;
}

bool Win32Backend::any_form_visible() const {
    return std::any_of(m_forms.begin(), m_forms.end(),
                       [](const auto& entry) { return IsWindowVisible(entry.second->hwnd()); });
}

WindowId Win32Backend::create_window(const WindowSpec& spec) {
    WindowId id = m_next_id++;
    auto form = std::make_unique<FormWindow>(m_form_class, to_utf16(spec.name).c_str(), spec.bounds,
                                             m_application.get(), this);
    m_forms.emplace(id, std::move(form));
    if (spec.role == WindowRole::Main && m_main == 0) {
        m_main = id;
        SetWindowTextW(m_application.get(), to_utf16(spec.title).c_str());
    }
    return id;
}

void Win32Backend::destroy_window(WindowId window) {
    if (m_main == window) m_main = 0;
    std::erase(m_hidden_by_minimize, window);
    if (FormWindow* form = find(window)) attach(form->hwnd(), nullptr);
    m_forms.erase(window);
}

void Win32Backend::set_bounds(WindowId window, Rect bounds) {
    if (FormWindow* form = find(window)) form->set_bounds(bounds);
}

// The task-bar button is there while a window of the program is, or it is minimized.
void Win32Backend::show_window(WindowId window) {
    FormWindow* form = find(window);
    if (form == nullptr) return;
    if (window == m_main && !std::exchange(m_first_show_done, true))
        return show_first(window, *form);
    if (m_minimized) {
        if (std::find(m_hidden_by_minimize.begin(), m_hidden_by_minimize.end(), window) ==
            m_hidden_by_minimize.end())
            m_hidden_by_minimize.push_back(window);
        m_events.push_back(VisibilityChange{window, false});
        return;
    }
    ShowWindow(m_application.get(), SW_SHOWNA);
    ShowWindow(form->hwnd(), SW_SHOWNA);
}

// The launcher's show request applies to the main window's first showing only.
void Win32Backend::show_first(WindowId window, FormWindow& form) {
    switch (m_start_mode) {
        case StartMode::Maximized:
            ShowWindow(m_application.get(), SW_SHOWNA);
            ShowWindow(form.hwnd(), SW_SHOWMAXIMIZED);
            break;
        case StartMode::MinimizedNoActivate:
            ShowWindow(m_application.get(), SW_SHOWMINNOACTIVE);
            m_minimized = true;
            m_hidden_by_minimize.push_back(window);
            m_events.push_back(VisibilityChange{window, false});
            break;
        case StartMode::Normal:
            ShowWindow(m_application.get(), SW_SHOWNA);
            ShowWindow(form.hwnd(), SW_SHOWNA);
            break;
    }
}

void Win32Backend::hide_window(WindowId window) {
    FormWindow* form = find(window);
    if (form == nullptr) return;
    std::erase(m_hidden_by_minimize, window);
    ShowWindow(form->hwnd(), SW_HIDE);
    if (!any_form_visible() && !m_minimized) ShowWindow(m_application.get(), SW_HIDE);
}

void Win32Backend::activate(WindowId window, std::uint32_t) {
    FormWindow* form = find(window);
    if (form == nullptr || !IsWindowVisible(form->hwnd())) return;
    SetWindowPos(form->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(form->hwnd());
    SetFocus(form->hwnd());
}

void Win32Backend::present(WindowId window, Picture pixels) {
    if (FormWindow* form = find(window)) form->present(std::move(pixels));
}

void Win32Backend::update(WindowId window, Rect area, const Picture& pixels) {
    if (FormWindow* form = find(window)) form->update(area, pixels);
}

// The task bar's Minimize hides the visible windows; Restore shows the same ones again.
void Win32Backend::minimize_all() {
    if (m_minimized) return;
    m_minimized = true;
    for (const auto& [id, form] : m_forms) {
        if (!IsWindowVisible(form->hwnd())) continue;
        ShowWindow(form->hwnd(), SW_HIDE);
        m_hidden_by_minimize.push_back(id);
        m_events.push_back(VisibilityChange{id, false});
    }
}

void Win32Backend::restore_all() {
    if (!std::exchange(m_minimized, false)) return;
    for (WindowId id : std::exchange(m_hidden_by_minimize, {})) {
        FormWindow* form = find(id);
        if (form == nullptr) continue;
        ShowWindow(form->hwnd(), SW_SHOW);
        m_events.push_back(VisibilityChange{id, true});
    }
    focus_last_active();
}

// Activating the task-bar button hands the keyboard to the window that had it, or else to
// the main window.
void Win32Backend::focus_last_active() {
    for (WindowId id : {m_last_active, m_main}) {
        FormWindow* form = find(id);
        if (form != nullptr && IsWindowVisible(form->hwnd())) {
            SetFocus(form->hwnd());
            return;
        }
    }
}

BoxId Win32Backend::open_message_box(const MessageBoxSpec& spec) { return m_boxes.open(spec); }
void Win32Backend::close_message_box(BoxId box) { m_boxes.close(box); }

// Events first, then boxes, then the deadline, then messages: a stream of messages never
// holds the timers back.
std::optional<Event> Win32Backend::next_event(std::optional<std::int64_t> deadline_ms) {
    for (;;) {
        if (m_error) std::rethrow_exception(std::exchange(m_error, nullptr));
        if (!m_events.empty()) {
            Event event = m_events.front();
            m_events.pop_front();
            return event;
        }
        if (m_boxes.waiting()) {
            run_box(deadline_ms);
            continue;
        }
        DWORD timeout = INFINITE;
        if (deadline_ms) {
            std::int64_t left = *deadline_ms - wall_clock_ms();
            if (left <= 0) return std::nullopt;
            timeout = static_cast<DWORD>(std::min<std::int64_t>(left, INFINITE - 1));
        }
        MSG message{};
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return QuitRequest{};
            DispatchMessageW(&message);
            continue;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// Events that arrive while the box is open come before its dismissal.
void Win32Backend::run_box(std::optional<std::int64_t> deadline_ms) {
    FormWindow* owner = find(m_boxes.next_owner().value_or(0));
    BoxId box = m_boxes.run_next(deadline_ms, owner ? owner->hwnd() : nullptr, all_windows());
    m_events.push_back(BoxDismissed{box});
}

std::vector<HWND> Win32Backend::all_windows() const {
    std::vector<HWND> windows{m_application.get()};
    for (const auto& [id, form] : m_forms) windows.push_back(form->hwnd());
    return windows;
}

LRESULT CALLBACK Win32Backend::window_procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    auto* backend = reinterpret_cast<Win32Backend*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (backend == nullptr) return DefWindowProcW(hwnd, message, wp, lp);
    // No exception may cross the system's frames: it waits for next_event.
    try {
        return backend->on_message(hwnd, message, wp, lp);
    } catch (...) {
        if (!backend->m_error) backend->m_error = std::current_exception();
        return DefWindowProcW(hwnd, message, wp, lp);
    }
}

LRESULT Win32Backend::on_message(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    if (m_application && hwnd == m_application.get())
        return on_application_message(message, wp, lp);
    WindowId id = id_of(hwnd);
    if (id == 0) return DefWindowProcW(hwnd, message, wp, lp);
    return on_form_message(id, *find(id), message, wp, lp);
}

LRESULT Win32Backend::on_application_message(UINT message, WPARAM wp, LPARAM lp) {
    HWND self = m_application.get();
    switch (message) {
        case WM_SIZE:
            // However the button was minimized or restored: its menu, the task bar, Alt+Tab.
            if (wp == SIZE_MINIMIZED) {
                minimize_all();
            } else {
                restore_all();
            }
            return 0;
        case WM_CLOSE: m_events.push_back(CloseRequest{m_main}); return 0;
        case WM_SETFOCUS: focus_last_active(); return 0;
        case WM_TIMER: m_boxes.on_timer(wp); return 0;
        case WM_SETTINGCHANGE:
            if (lp != 0 && lstrcmpW(reinterpret_cast<const wchar_t*>(lp), L"intl") == 0)
                m_events.push_back(SettingsChanged{});
            return 0;
        case WM_TIMECHANGE: m_events.push_back(SettingsChanged{}); return 0;
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION:
            // WM_QUIT also ends an open message box's loop, which would not return otherwise.
            if (wp) {
                m_events.push_back(QuitRequest{});
                PostQuitMessage(0);
            }
            return 0;
    }
    return DefWindowProcW(self, message, wp, lp);
}

LRESULT Win32Backend::on_form_message(WindowId id, FormWindow& form, UINT message, WPARAM wp,
                                      LPARAM lp) {
    switch (message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP: on_mouse(id, form, message, wp); return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            m_events.push_back(KeyInput{id, static_cast<int>(wp), key_modifiers()});
            break;  // on to DefWindowProc, which turns Alt+F4 into WM_CLOSE
        case WM_CLOSE: m_events.push_back(CloseRequest{id}); return 0;
        case WM_SETFOCUS:
            m_last_active = id;
            m_events.push_back(FocusChange{id});
            return 0;
        case WM_KILLFOCUS:
            if (id_of(reinterpret_cast<HWND>(wp)) == 0) m_events.push_back(FocusChange{0});
            return 0;
        case WM_ERASEBKGND: return 1;  // WM_PAINT covers every pixel
        case WM_PAINT: form.paint(); return 0;
    }
    return DefWindowProcW(form.hwnd(), message, wp, lp);
}

// The left button captures the mouse, so its moves and release come here wherever they are.
void Win32Backend::on_mouse(WindowId id, FormWindow& form, UINT message, WPARAM wp) {
    // Where the pointer was, from the message's own record: Wine reports (0, 0) in the
    // client position of a full-screen window.
    DWORD at = GetMessagePos();
    POINT where{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ScreenToClient(form.hwnd(), &where);
    Point client{where.x, where.y};
    Point origin{form.bounds().left, form.bounds().top};
    auto time = static_cast<std::uint32_t>(GetMessageTime());
    bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
    std::optional<MouseInput> input = mouse_input(message, wp, id, client, origin, time, alt);
    if (!input) return;
    if (message == WM_LBUTTONDOWN) SetCapture(form.hwnd());
    if (message == WM_LBUTTONUP && GetCapture() == form.hwnd()) ReleaseCapture();
    m_events.push_back(*input);
}

}  // namespace

}  // namespace win32

std::unique_ptr<Backend> make_win32_backend() { return std::make_unique<win32::Win32Backend>(); }

}  // namespace osyl
