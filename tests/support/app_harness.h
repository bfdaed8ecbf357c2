#pragma once

#include "app/application.h"
#include "support/headless_backend.h"
#include "support/test_support.h"

#include <exception>
#include <memory>
#include <string>

namespace osyl::test {

// The colour that identifies each test skin picture: digits and letters are solid squares,
// so a pixel tells which file an element shows.
Rgb digit_colour(char digit);
Rgb letter_colour(char letter);

// The headless display with one more trait of a real one: when a report box closes, the
// keyboard focus goes back to no window until the program activates one.
class ReportingBackend : public HeadlessBackend {
public:
    void activate(WindowId window, std::uint32_t time) override;
    void close_message_box(BoxId box) override;
    std::optional<Event> next_event(std::optional<std::int64_t> deadline_ms) override;
    std::string focused_window() const;
    // The next waits throw this instead of waiting.
    void fail_waits(std::exception_ptr error, int count = 1) {
        m_wait_error = std::move(error);
        m_failing_waits = count;
    }

private:
    bool m_focus_lost = false;
    std::exception_ptr m_wait_error;
    int m_failing_waits = 0;
};

// The whole program on the headless display, with a skin folder beside a pretend executable
// and a working directory of its own for the label file.
class AppHarness {
public:
    AppHarness();
    ~AppHarness();

    ReportingBackend& backend() { return m_backend; }
    Application& app() { return *m_app; }
    std::filesystem::path skin_dir() const { return m_dir / "skin"; }
    std::filesystem::path work_dir() const { return m_dir / "work"; }

    // Writes a 12 x 12 picture of one colour, or of any size, into the skin folder.
    void write_skin(const std::string& file, int width, int height, Rgb colour);
    void write_labels(const std::string& text);

    // Creates the program and shows the bar, playing the first tick.
    void start();
    // Plays the script; returns true once the program has ended.
    bool run() { return m_app->run_pending(); }

    // The colour of a screen point in a window's last presented pixels.
    Rgb pixel(const std::string& window, int x, int y) const;
    const HeadlessBackend::WindowState& window(const std::string& name) const {
        return m_backend.window(name);
    }

private:
    TempDir m_dir;
    ReportingBackend m_backend;
    std::unique_ptr<ScopedCwd> m_cwd;
    std::unique_ptr<Application> m_app;
};

}  // namespace osyl::test
