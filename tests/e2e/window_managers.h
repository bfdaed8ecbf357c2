#pragma once

#include "support/xvfb.h"

#include <filesystem>
#include <optional>
#include <string>

namespace osyl::test {

enum class WindowManager { None, Openbox, Jwm, Icewm, Metacity };

const char* name_of(WindowManager manager);

// A window manager on a display, with a home folder of its own, ready to manage windows
// once constructed: jwm with its stock tray at the bottom, icewm with its task bar at
// the top, metacity and openbox as they come.
class RunningWindowManager {
public:
    RunningWindowManager(WindowManager manager, const Environment& display,
                         const std::filesystem::path& home);
    // What it wrote on its standard output and error so far.
    std::string log();

private:
    void wait_until_managing(const Environment& display, const std::filesystem::path& ready);

    WindowManager m_manager;
    std::optional<ChildProcess> m_process;
};

}  // namespace osyl::test
