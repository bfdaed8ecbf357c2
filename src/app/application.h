#pragma once

#include "platform/backend.h"
#include "platform/desktop.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace osyl {

class TForm1;
class TForm2;

// Owns both windows and runs the one event loop; every error that escapes a handler is
// shown as a report under the application title and the program goes on.
class Application {
public:
    // Creates the bar window, then the hidden menu window.
    explicit Application(Backend& backend);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    Desktop& desktop() { return m_desktop; }

    // Shows the bar, runs the loop until the program ends, and returns the exit status:
    // 1 when an error escaped every guard, written to standard error.
    int run();

    // For tests on the headless backend: show the bar, then play the script step by step.
    void start();
    // Plays what the script holds; returns true once the program has ended.
    bool run_pending();
    bool finished() const { return m_finished; }
    int exit_status() const { return m_exit_status; }

    // Reports nest this deep at most; further errors go to standard error.
    static constexpr int max_open_reports = 16;
    void report(const std::exception& error);

private:
    enum class Nesting { TopLevel, Report };
    void pump(Nesting nesting, const std::function<bool()>& done);
    std::optional<Event> wait_for_event();
    void dispatch(const Event& event);
    void guarded(const std::function<void()>& handler);
    void present_changes();
    void open_report(const std::string& text);
    void write_error_line(std::string text) const;
    void finish(int status);

    Backend& m_backend;
    std::string m_title;
    Desktop m_desktop;
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TForm2> m_form2;
    std::vector<BoxId> m_dismissed;
    int m_open_reports = 0;
    bool m_finished = false;
    int m_exit_status = 0;
};

}  // namespace osyl
