#include "e2e/window_managers.h"

#include "e2e/desktop_session.h"
#include "support/test_support.h"

#include <signal.h>

#include <stdexcept>
#include <vector>

namespace osyl::test {

namespace {

using namespace std::chrono_literals;

bool has_window_list(const Environment& display, const std::string& property) {
    return run({"xprop", "-root", property}, display).out.find("window id #") != std::string::npos;
}

}  // namespace

const char* name_of(WindowManager manager) {
    switch (manager) {
        case WindowManager::None: return "NoWindowManager";
        case WindowManager::Openbox: return "Openbox";
        case WindowManager::Jwm: return "Jwm";
        case WindowManager::Icewm: return "Icewm";
        case WindowManager::Metacity: return "Metacity";
    }
    return "?";
}

RunningWindowManager::RunningWindowManager(WindowManager manager, const Environment& display,
                                           const std::filesystem::path& home)
    : m_manager(manager) {
    std::filesystem::create_directories(home);
    std::filesystem::path ready = home / "ready";
    Environment env = display;
    env.emplace_back("HOME", home.string());
    env.emplace_back("XDG_CONFIG_HOME", (home / "config").string());  // stock settings
    env.emplace_back("XDG_CACHE_HOME", (home / "cache").string());
    std::vector<std::string> argv;
    switch (manager) {
        case WindowManager::Openbox:
            argv = {"openbox", "--sm-disable", "--startup", "touch " + ready.string()};
            break;
        case WindowManager::Jwm: argv = {"jwm"}; break;
        case WindowManager::Icewm:
            std::filesystem::create_directories(home / ".icewm");
            write_file(home / ".icewm" / "preferences", "TaskBarAtTop=1\n");
            argv = {"icewm"};
            break;
        case WindowManager::Metacity: argv = {"metacity"}; break;
        case WindowManager::None: return;
    }
    m_process.emplace(argv, SpawnOptions{env, home, Output::Capture, {}});
    wait_until_managing(display, ready);
}

// Some window managers announce themselves before they handle map requests, and a window
// mapped in between may stay unmapped for good. Openbox runs its start-up command when it
// is ready; for the others, a probe window must show up in their client list.
void RunningWindowManager::wait_until_managing(const Environment& display,
                                               const std::filesystem::path& ready) {
    auto alive = [&] { return !m_process->wait_exit(0ms).has_value(); };
    bool announced = poll_until(
        [&] { return !alive() || has_window_list(display, "_NET_SUPPORTING_WM_CHECK"); });
    bool managing = announced && alive();
    if (managing && m_manager == WindowManager::Openbox) {
        managing = poll_until([&] { return !alive() || std::filesystem::exists(ready); });
    } else if (managing) {
        ChildProcess probe({"xlogo"}, SpawnOptions{display, {}, Output::Discard, {}});
        managing = poll_until([&] { return has_window_list(display, "_NET_CLIENT_LIST"); });
        probe.kill(SIGTERM);
        probe.wait_exit(5s);
    }
    if (!managing || !alive()) {
        throw std::runtime_error(std::string(name_of(m_manager)) + " did not start: " + log());
    }
}

std::string RunningWindowManager::log() {
    if (!m_process) return {};
    m_process->wait_exit(100ms);  // collects what it wrote meanwhile
    return m_process->out() + m_process->err();
}

}  // namespace osyl::test
