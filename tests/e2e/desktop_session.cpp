#include "e2e/desktop_session.h"

#include "skin/bmp_reader.h"

#include <signal.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace osyl::test {

namespace {

using Clock = std::chrono::steady_clock;

std::string hex_id(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", id);
    return text;
}

// The number after a label such as "Absolute upper-left X:" in xwininfo's report.
std::optional<int> number_after(const std::string& text, const std::string& label) {
    std::size_t at = text.find(label);
    if (at == std::string::npos) return std::nullopt;
    return std::stoi(text.substr(at + label.size()));
}

}  // namespace

Point glyph_point(int row, int column) {
    return {menu_area.left + 41 + 12 * column + 6, menu_area.top + 9 + 24 * (row - 1) + 6};
}

const char* const sample_labels =
    "Pack my\n"
    "box with\r\n"
    "FIVE dozen\n"
    "liquor jugs\n"
    "\n"
    "The Quick,\n"
    "brown 4 fox\n"
    "jumps OVER\n"
    "the lazy\n"
    "dog. z-Y-x\n";

bool poll_until(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto deadline = Clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
}

Picture read_bmp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return decode_bmp(std::as_bytes(std::span(bytes.data(), bytes.size())));
}

std::uint64_t process_status_kib(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1));
    }
    return 0;
}

ProgramFolder::ProgramFolder() {
    namespace fs = std::filesystem;
    fs::copy_file(OSYL_EXECUTABLE, executable());
    fs::permissions(executable(), fs::perms::owner_all);
    fs::copy(OSYL_SKIN_DIR, skin_dir(), fs::copy_options::recursive);
}

void ProgramFolder::write_labels(const std::string& text) const { write_file(labels(), text); }

HeadlessTwin::HeadlessTwin(const ProgramFolder& folder) : m_cwd(folder.path()) {
    m_backend.set_executable_path(folder.executable().string());
    m_app = std::make_unique<Application>(m_backend);
    m_app->start();
    m_app->run_pending();
}

HeadlessTwin::~HeadlessTwin() { m_app.reset(); }

const Picture& HeadlessTwin::pixels(const std::string& window) {
    m_app->run_pending();
    return m_backend.window(window).pixels;
}

DesktopSession::DesktopSession(WindowManager manager, int screen_height)
    : m_xvfb(800, screen_height) {
    keep_server_up();
    if (manager != WindowManager::None)
        m_window_manager.emplace(manager, environment(), m_folder.path() / "wm");
}

// An X server resets when its last client leaves, and a client that connects during the
// reset is turned away. One client that stays connected for the whole session (xprop
// watching a property nobody sets) rules that out between the short-lived tools.
void DesktopSession::keep_server_up() {
    for (int attempt = 0; attempt < 5; ++attempt) {
        m_keeper.emplace(std::vector<std::string>{"xprop", "-root", "-spy", "_OSYL_E2E_KEEPER"},
                         SpawnOptions{environment(), {}, Output::Capture, {}});
        bool ended = false;
        bool connected = poll_until([&] {
            ended = m_keeper->wait_exit(std::chrono::milliseconds(20)).has_value();
            return ended || m_keeper->out().find("_OSYL_E2E_KEEPER") != std::string::npos;
        });
        if (connected && !ended) return;
    }
    throw std::runtime_error("no client could stay connected to " + display());
}

ChildProcess& DesktopSession::launch(const Environment& extra) {
    if (m_program) {
        m_program->kill(SIGKILL);
        m_program->wait_exit(std::chrono::seconds(10));
        m_program.reset();
        // The server drops a client's windows a moment after the process is gone.
        poll_until([&] {
            for (const auto& entry : named_windows())
                if (entry.second == "osyl" || entry.second == "Form2") return false;
            return true;
        });
    }
    Environment env = environment();
    env.emplace_back("LC_ALL", "C");
    for (const auto& entry : extra) env.push_back(entry);
    // Later entries win: drop the defaults that the caller replaced.
    Environment merged;
    for (auto it = env.rbegin(); it != env.rend(); ++it) {
        bool seen = false;
        for (const auto& kept : merged) seen = seen || kept.first == it->first;
        if (!seen) merged.push_back(*it);
    }
    m_program.emplace(std::vector<std::string>{m_folder.executable().string()},
                      SpawnOptions{merged, m_folder.path(), Output::Capture, {}});
    m_bar = 0;
    bool mapped = poll_until([&] {
        for (const auto& [id, name] : named_windows()) {
            if (name != "osyl") continue;
            std::optional<WindowInfo> info = window(id);
            if (info && info->viewable && info->bounds.height == bar_area.height) m_bar = id;
        }
        return m_bar != 0;
    });
    if (!mapped)
        throw std::runtime_error("the bar was never mapped; windows: " + describe_windows() +
                                 "; standard error: " + m_program->err());
    return *m_program;
}

std::string DesktopSession::describe_windows() const {
    std::string text;
    for (const auto& [id, name] : named_windows()) {
        text += hex_id(id) + " \"" + name + "\"";
        if (std::optional<WindowInfo> info = window(id)) {
            const Rect& r = info->bounds;
            text += " " + std::to_string(r.width) + "x" + std::to_string(r.height) + "+" +
                    std::to_string(r.left) + "+" + std::to_string(r.top) +
                    (info->viewable ? " viewable" : " unmapped");
        }
        text += "; ";
    }
    return text;
}

std::uint32_t DesktopSession::menu() const {
    for (const auto& [id, name] : named_windows())
        if (name == "Form2") return id;
    return 0;
}

std::string DesktopSession::tool(const std::vector<std::string>& argv) const {
    RunResult result = run(argv, environment());
    if (result.status != 0) throw std::runtime_error(argv[0] + " failed: " + result.err);
    return result.out;
}

void DesktopSession::move(Point p) const {
    tool({"xdotool", "mousemove", std::to_string(p.x), std::to_string(p.y)});
}

void DesktopSession::press(Point p) const {
    tool({"xdotool", "mousemove", std::to_string(p.x), std::to_string(p.y), "mousedown", "1"});
}

void DesktopSession::release(Point p) const {
    tool({"xdotool", "mousemove", std::to_string(p.x), std::to_string(p.y), "mouseup", "1"});
}

void DesktopSession::click(Point p) const {
    tool({"xdotool", "mousemove", std::to_string(p.x), std::to_string(p.y), "click", "1"});
}

void DesktopSession::key(const std::string& keys) const { tool({"xdotool", "key", keys}); }

std::vector<std::pair<std::uint32_t, std::string>> DesktopSession::named_windows() const {
    static const std::regex line(R"(^\s*(0x[0-9a-f]+) \"(.*)\": \()");
    // The walk fails when a window goes away under it; the next one sees the new tree.
    RunResult walk;
    for (int attempt = 0; attempt < 10; ++attempt) {
        walk = run({"xwininfo", "-root", "-tree"}, environment());
        if (walk.status == 0) break;
    }
    if (walk.status != 0) throw std::runtime_error("xwininfo failed: " + walk.err);
    std::vector<std::pair<std::uint32_t, std::string>> found;
    std::istringstream tree(walk.out);
    std::string text;
    std::smatch match;
    while (std::getline(tree, text)) {
        if (std::regex_search(text, match, line)) {
            found.emplace_back(static_cast<std::uint32_t>(std::stoul(match[1], nullptr, 16)),
                               match[2]);
        }
    }
    return found;
}

std::optional<WindowInfo> DesktopSession::window(std::uint32_t id) const {
    RunResult result = run({"xwininfo", "-id", hex_id(id)}, environment());
    if (result.status != 0) return std::nullopt;  // it is gone
    const std::string& text = result.out;
    auto left = number_after(text, "Absolute upper-left X:");
    auto top = number_after(text, "Absolute upper-left Y:");
    auto width = number_after(text, "Width:");
    auto height = number_after(text, "Height:");
    if (!left || !top || !width || !height) return std::nullopt;
    return WindowInfo{id,
                      {*left, *top, *width, *height},
                      text.find("Map State: IsViewable") != std::string::npos};
}

std::uint32_t DesktopSession::focus() const {
    RunResult result = run({"xdotool", "getwindowfocus"}, environment());
    if (result.status != 0) return 0;
    return static_cast<std::uint32_t>(std::stoul(result.out));
}

Picture DesktopSession::screen(Rect area) const { return crop(screenshot(display()), area); }

bool DesktopSession::wait_viewable(std::uint32_t id, bool viewable,
                                   std::chrono::milliseconds timeout) {
    return poll_until(
        [&] {
            std::optional<WindowInfo> info = window(id);
            return (info && info->viewable) == viewable;
        },
        timeout);
}

bool DesktopSession::wait_focus(std::uint32_t id) {
    return poll_until([&] { return focus() == id; });
}

Picture DesktopSession::wait_for_picture(Rect area, const Picture& expected,
                                         const std::vector<Rect>& masked) {
    Picture seen;
    poll_until([&] {
        seen = screen(area);
        return differences(seen, expected, masked).empty();
    });
    return seen;
}

std::optional<WindowInfo> DesktopSession::wait_for_report() {
    std::optional<WindowInfo> report;
    poll_until([&] {
        for (const auto& [id, name] : named_windows()) {
            if (name != "osyl" || id == m_bar) continue;
            std::optional<WindowInfo> info = window(id);
            if (info && info->viewable) report = info;
        }
        return report.has_value();
    });
    return report;
}

}  // namespace osyl::test
