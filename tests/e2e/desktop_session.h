#pragma once

#include "app/application.h"
#include "e2e/window_managers.h"
#include "platform/geometry.h"
#include "platform/picture.h"
#include "support/headless_backend.h"
#include "support/pictures.h"
#include "support/test_support.h"
#include "support/xvfb.h"

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace osyl::test {

// Where the program puts its windows and controls on the screen.
inline constexpr Rect menu_area{0, 277, 200, 300};
inline constexpr Point prg_point{28, 588};  // the start button
inline constexpr Point opt_point{569, 590};

// The middle of a glyph cell, on the screen, with the menu shown.
Point glyph_point(int row, int column);

// Labels that use every letter in both cases, with spaces, digits and punctuation between.
extern const char* const sample_labels;

// What xwininfo says about one window.
struct WindowInfo {
    std::uint32_t id = 0;
    Rect bounds;  // absolute, on the screen
    bool viewable = false;
};

// Tries the condition every few milliseconds until it holds or the time is up.
bool poll_until(const std::function<bool()>& condition,
                std::chrono::milliseconds timeout = std::chrono::seconds(20));

Picture read_bmp(const std::filesystem::path& path);

// A kibibyte figure from /proc/<pid>/status, such as VmRSS or VmHWM; 0 when unreadable.
std::uint64_t process_status_kib(pid_t pid, const std::string& field);

// A fresh folder with a copy of the built program and its skin folder beside it; the
// program also runs there, so the label file goes there too.
class ProgramFolder {
public:
    ProgramFolder();
    const std::filesystem::path& path() const { return m_dir.path(); }
    std::filesystem::path executable() const { return path() / "osyl"; }
    std::filesystem::path skin_dir() const { return path() / "skin"; }
    std::filesystem::path labels() const { return path() / "osyl.dat"; }
    void write_labels(const std::string& text) const;

private:
    TempDir m_dir;
};

// The program on the in-memory display, with the skin and labels of a folder: what the
// real screen should show, pixel for pixel.
class HeadlessTwin {
public:
    explicit HeadlessTwin(const ProgramFolder& folder);
    ~HeadlessTwin();
    HeadlessBackend& backend() { return m_backend; }
    // Plays what was scripted and returns the window's pixels.
    const Picture& pixels(const std::string& window);

private:
    ScopedCwd m_cwd;
    HeadlessBackend m_backend;
    std::unique_ptr<Application> m_app;
};

// A private X server, optionally with a window manager, on which the real program
// runs from its own folder, driven through XTEST and watched through xwininfo and xwd.
class DesktopSession {
public:
    // The screen is 800 pixels wide; the default height leaves the bar's last row on it.
    explicit DesktopSession(WindowManager manager = WindowManager::None, int screen_height = 624);

    const ProgramFolder& folder() const { return m_folder; }
    const std::string& display() const { return m_xvfb.display(); }
    void stop_server() { m_xvfb.stop(); }
    void signal_server(int number) const { m_xvfb.signal(number); }
    // What the window manager wrote so far.
    std::string window_manager_log() { return m_window_manager ? m_window_manager->log() : ""; }
    Environment environment() const { return m_xvfb.environment(); }

    // Starts the program (in the C locale unless told otherwise) and waits until its bar
    // is mapped; an earlier run of it is ended first.
    ChildProcess& launch(const Environment& extra = {});
    ChildProcess& program() { return *m_program; }
    std::uint32_t bar() const { return m_bar; }
    std::uint32_t menu() const;

    // Input, as a user gives it.
    void move(Point screen) const;
    void press(Point screen) const;
    void release(Point screen) const;
    void click(Point screen) const;
    void key(const std::string& keys) const;

    // What the server knows.
    std::vector<std::pair<std::uint32_t, std::string>> named_windows() const;
    std::optional<WindowInfo> window(std::uint32_t id) const;
    std::uint32_t focus() const;
    // Every named window with its place and state, for failure messages.
    std::string describe_windows() const;
    Picture screen(Rect area) const;

    bool wait_viewable(std::uint32_t id, bool viewable,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool wait_focus(std::uint32_t id);
    // Waits until the area shows the picture (outside the masks) and returns the last look.
    Picture wait_for_picture(Rect area, const Picture& expected,
                             const std::vector<Rect>& masked = {});
    // A viewable window of the program captioned like the bar, other than the bar.
    std::optional<WindowInfo> wait_for_report();

private:
    void keep_server_up();
    std::string tool(const std::vector<std::string>& argv) const;

    ProgramFolder m_folder;
    Xvfb m_xvfb;
    std::optional<ChildProcess> m_keeper;
    std::optional<RunningWindowManager> m_window_manager;
    std::optional<ChildProcess> m_program;
    std::uint32_t m_bar = 0;
};

}  // namespace osyl::test
