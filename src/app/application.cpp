#include "app/application.h"

#include "app/title.h"
#include "bar/form1.h"
#include "menu/form2.h"
#include "platform/errors.h"
#include "platform/window.h"

#include <algorithm>
#include <cstdio>
#include <variant>

namespace osyl {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// The skin folder lies beside the executable; without its path the program would read
// pictures from wherever it was started instead.
std::string known_executable_path(Backend& backend) {
    std::string path = backend.executable_path();
    if (path.empty())
        throw AppError("Cannot find the program's own file, and so not its skin folder");
    return path;
}

}  // namespace

Application::Application(Backend& backend)
    : m_backend(backend),
      m_title(application_title(known_executable_path(backend))),
      m_desktop(backend) {
    m_desktop.set_guard([this](const std::function<void()>& handler) { guarded(handler); });
    m_form1 = std::make_unique<TForm1>(m_desktop, m_title);
    m_form2 = std::make_unique<TForm2>(m_desktop);
}

// Windows go before the desktop they are registered with.
Application::~Application() {
    m_form2.reset();
    m_form1.reset();
}

void Application::start() { m_form1->show(); }

// A display never runs dry, so the loop returns only when the program ends.
int Application::run() {
    try {
        start();
        run_pending();
    } catch (const std::exception& error) {
        write_error_line(report_text(message_of(error)));
        m_finished = true;
        m_exit_status = 1;
    }
    return m_exit_status;
}

bool Application::run_pending() {
    if (m_finished) return true;
    try {
        pump(Nesting::TopLevel, [] { return false; });
    } catch (const Halt& halt) {
        finish(halt.status);
    }
    if (m_desktop.quit_requested()) finish(0);
    return m_finished;
}

void Application::finish(int status) {
    m_finished = true;
    m_exit_status = status;
    if (m_form2) m_form2->hide();
    if (m_form1) m_form1->hide();
}

// One pass: show what changed, wait for an event or the next tick, handle both. The top
// level returns when a test script has run dry; a report's loop waits for its box.
void Application::pump(Nesting nesting, const std::function<bool()>& done) {
    while (!done() && !m_desktop.quit_requested()) {
        present_changes();
        std::optional<Event> event = wait_for_event();
        if (event) guarded([&] { dispatch(*event); });
        m_desktop.run_due_timers();
        if (!event && nesting == Nesting::TopLevel && m_backend.script_exhausted()) break;
    }
    present_changes();
}

// A failed wait is reported like a failed handler and the loop goes on. Past the deepest
// report it could only fail again at once, so it ends the program instead.
std::optional<Event> Application::wait_for_event() {
    try {
        return m_backend.next_event(m_desktop.next_timer_due());
    } catch (const AppError& error) {
        if (m_open_reports >= max_open_reports) throw;
        report(error);
        return std::nullopt;
    }
}

// Composing can fail like any handler; the report's own loop must not let it escape.
void Application::present_changes() {
    try {
        m_desktop.present_changes();
    } catch (const std::exception& error) {
        report(error);
    }
}

void Application::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        report(error);
    }
}

void Application::dispatch(const Event& event) {
    std::visit(Overloaded{
                   [&](const MouseInput& input) { m_desktop.deliver(input); },
                   [&](const KeyInput& input) { m_desktop.deliver(input); },
                   [&](const CloseRequest& request) {
                       Window* window = m_desktop.find(request.window);
                       if (window && m_desktop.input_enabled()) window->close();
                   },
                   [&](const FocusChange& change) { m_desktop.deliver(change); },
                   [&](const VisibilityChange& change) { m_desktop.deliver(change); },
                   [&](const BoxDismissed& dismissed) { m_dismissed.push_back(dismissed.box); },
                   [&](const QuitRequest&) { m_desktop.request_quit(); },
                   [&](const SettingsChanged&) {
                       m_form1->settings_changed();
                       m_desktop.clock_changed();
                   },
               },
               event);
}

// A modal box over the disabled windows; its own loop keeps the clock ticking. Reports
// nest, a tick can fail again during one, but only so deep: an unattended bar would
// otherwise open boxes until its stack ran out.
void Application::report(const std::exception& error) {
    std::string text = report_text(message_of(error));
    if (m_open_reports >= max_open_reports) return write_error_line(text);
    struct Nested {
        int& depth;
        ~Nested() { --depth; }
    } nested{++m_open_reports};
    open_report(text);
}

void Application::write_error_line(std::string text) const {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    std::fprintf(stderr, "%s: %s\n", m_title.c_str(), text.c_str());
}

// Afterwards the window that was active gets the keyboard back, unless the report was
// opened over another one: that one keeps the keyboard until it closes in turn.
void Application::open_report(const std::string& text) {
    m_desktop.cancel_capture();
    Window* was_active = m_desktop.active_window();
    bool was_enabled = m_desktop.input_enabled();
    m_desktop.set_input_enabled(false);
    {
        ScopedBox box(m_backend, {m_title, text, was_active ? was_active->id() : 0});
        auto dismissed = [&] {
            return std::find(m_dismissed.begin(), m_dismissed.end(), box.id()) != m_dismissed.end();
        };
        pump(Nesting::Report, dismissed);
        m_dismissed.erase(std::remove(m_dismissed.begin(), m_dismissed.end(), box.id()),
                          m_dismissed.end());
    }
    m_desktop.set_input_enabled(was_enabled);
    bool outermost = m_open_reports == 1;
    if (outermost && was_active && was_active->visible() && !m_desktop.quit_requested())
        m_desktop.activate(*was_active);
}

}  // namespace osyl
