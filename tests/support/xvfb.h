#pragma once

#include "platform/picture.h"

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace osyl::test {

using namespace std::chrono_literals;

// Variables added to (or replacing those in) the inherited environment.
using Environment = std::vector<std::pair<std::string, std::string>>;

// What happens to a child's standard output and error.
enum class Output { Inherit, Capture, Discard };

struct SpawnOptions {
    Environment environment;
    std::filesystem::path cwd;  // empty: the parent's
    Output output = Output::Inherit;
    std::vector<int> keep_fds;  // descriptors the child inherits on purpose
};

// A program started with fork and exec; killed and reaped when the object dies.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv, SpawnOptions options = {});
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    pid_t pid() const { return m_pid; }
    // The exit status once the child has ended (128 + the signal number when a signal
    // ended it), or nothing when it is still running after the timeout.
    std::optional<int> wait_exit(std::chrono::milliseconds timeout);
    void kill(int signal) const;
    // What the child wrote so far, with Output::Capture.
    const std::string& out() const { return m_out; }
    const std::string& err() const { return m_err; }

private:
    void collect(int timeout_ms);

    pid_t m_pid = -1;
    std::optional<int> m_status;
    int m_out_fd = -1;
    int m_err_fd = -1;
    std::string m_out;
    std::string m_err;
};

struct RunResult {
    int status = -1;  // -1: it did not end within the timeout
    std::string out;
    std::string err;
};

// Runs a command line tool to its end and returns its status and output.
RunResult run(const std::vector<std::string>& argv, const Environment& environment = {},
              std::chrono::milliseconds timeout = 30s);

// A private X server for one test, on a display number nobody else uses.
class Xvfb {
public:
    explicit Xvfb(int width = 800, int height = 624, int depth = 24,
                  const std::vector<std::string>& options = {});
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;
    ~Xvfb() { stop(); }
    // Ends the server and waits for it, as a crash or log-off would take the display away.
    void stop();
    // Sends the server a signal: SIGSTOP makes it stop answering, as a hung server does.
    void signal(int number) const {
        if (m_server) m_server->kill(number);
    }
    const std::string& display() const { return m_display; }
    // No Wayland display: the program uses this server even inside a Wayland session.
    Environment environment() const { return {{"DISPLAY", m_display}, {"WAYLAND_DISPLAY", ""}}; }

private:
    std::optional<ChildProcess> m_server;
    std::string m_display;
};

// The whole screen of the display, taken with xwd.
Picture screenshot(const std::string& display);

}  // namespace osyl::test
