#include "support/xvfb.h"
#include "support/pictures.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace osyl::test {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> merged_environment(const Environment& extra) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text = *entry;
        std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& [key, value] : extra) replaced = replaced || key == name;
        if (!replaced) merged.push_back(text);
    }
    for (const auto& [key, value] : extra) merged.push_back(key + "=" + value);
    return merged;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (auto& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// Reads what is there without blocking; returns false at end of file.
bool read_available(int fd, std::string& into) {
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        return n < 0 && (errno == EAGAIN || errno == EINTR);
    }
}

int decode_status(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

[[noreturn]] void exec_child(std::vector<char*>& args, std::vector<char*>& envp,
                             const SpawnOptions& options, int out_fd, int err_fd) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);  // the parent may block signals it watches
    prctl(PR_SET_PDEATHSIG, SIGTERM);          // no stray servers when a test dies
    if (out_fd >= 0) dup2(out_fd, STDOUT_FILENO);
    if (err_fd >= 0) dup2(err_fd, STDERR_FILENO);
    for (int fd : options.keep_fds) fcntl(fd, F_SETFD, 0);
    if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(127);
    execvpe(args[0], args.data(), envp.data());
    _exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, SpawnOptions options) {
    std::vector<std::string> arg_strings = argv;
    std::vector<std::string> env_strings = merged_environment(options.environment);
    std::vector<char*> args = pointers(arg_strings);
    std::vector<char*> envp = pointers(env_strings);

    int out_pipe[2] = {-1, -1};
    int err_pipe[2] = {-1, -1};
    int child_out = -1;
    int child_err = -1;
    if (options.output == Output::Capture) {
        if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        child_out = out_pipe[1];
        child_err = err_pipe[1];
    } else if (options.output == Output::Discard) {
        child_out = child_err = open("/dev/null", O_WRONLY | O_CLOEXEC);
    }
    m_pid = fork();
    if (m_pid == 0) exec_child(args, envp, options, child_out, child_err);
    if (options.output == Output::Capture) {
        close(out_pipe[1]);
        close(err_pipe[1]);
        m_out_fd = out_pipe[0];
        m_err_fd = err_pipe[0];
        fcntl(m_out_fd, F_SETFL, O_NONBLOCK);
        fcntl(m_err_fd, F_SETFL, O_NONBLOCK);
    } else if (child_out >= 0) {
        close(child_out);
    }
    if (m_pid < 0) throw std::runtime_error("fork failed");
}

ChildProcess::~ChildProcess() {
    if (!m_status && m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    if (m_out_fd >= 0) close(m_out_fd);
    if (m_err_fd >= 0) close(m_err_fd);
}

void ChildProcess::collect(int timeout_ms) {
    std::vector<pollfd> fds;
    if (m_out_fd >= 0) fds.push_back({m_out_fd, POLLIN, 0});
    if (m_err_fd >= 0) fds.push_back({m_err_fd, POLLIN, 0});
    if (fds.empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms));
        return;
    }
    poll(fds.data(), fds.size(), timeout_ms);
    if (m_out_fd >= 0 && !read_available(m_out_fd, m_out)) {
        close(std::exchange(m_out_fd, -1));
    }
    if (m_err_fd >= 0 && !read_available(m_err_fd, m_err)) {
        close(std::exchange(m_err_fd, -1));
    }
}

std::optional<int> ChildProcess::wait_exit(std::chrono::milliseconds timeout) {
    if (m_status) return m_status;
    auto deadline = Clock::now() + timeout;
    for (;;) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = decode_status(status);
            // The output written just before the end is still in the pipes.
            auto drain_until = Clock::now() + 2s;
            while ((m_out_fd >= 0 || m_err_fd >= 0) && Clock::now() < drain_until) collect(10);
            return m_status;
        }
        if (Clock::now() >= deadline) return std::nullopt;
        collect(10);
    }
}

void ChildProcess::kill(int signal) const {
    if (!m_status && m_pid > 0) ::kill(m_pid, signal);
}

RunResult run(const std::vector<std::string>& argv, const Environment& environment,
              std::chrono::milliseconds timeout) {
    ChildProcess child(argv, {environment, {}, Output::Capture, {}});
    std::optional<int> status = child.wait_exit(timeout);
    return {status.value_or(-1), child.out(), child.err()};
}

Xvfb::Xvfb(int width, int height, int depth, const std::vector<std::string>& options) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    std::vector<std::string> argv{"Xvfb",      "-displayfd", std::to_string(ready[1]),
                                  "-screen",   "0",          screen,
                                  "-nolisten", "tcp",        "-noreset"};
    argv.insert(argv.end(), options.begin(), options.end());
    m_server.emplace(argv, SpawnOptions{{}, {}, Output::Inherit, {ready[1]}});
    close(ready[1]);
    // Xvfb writes its display number once it accepts connections.
    std::string number;
    auto deadline = Clock::now() + 60s;
    while (number.find('\n') == std::string::npos && Clock::now() < deadline) {
        pollfd fd{ready[0], POLLIN, 0};
        if (poll(&fd, 1, 100) <= 0) continue;
        char buffer[16];
        ssize_t n = read(ready[0], buffer, sizeof buffer);
        if (n <= 0) break;
        number.append(buffer, static_cast<std::size_t>(n));
    }
    close(ready[0]);
    if (number.find('\n') == std::string::npos) throw std::runtime_error("Xvfb did not start");
    m_display = ":" + number.substr(0, number.find('\n'));
}

void Xvfb::stop() {
    if (!m_server) return;
    m_server->kill(SIGTERM);
    m_server->wait_exit(10s);
    m_server.reset();
}

Picture screenshot(const std::string& display) {
    RunResult result = run({"xwd", "-root", "-silent", "-display", display});
    if (result.status != 0) throw std::runtime_error("xwd failed: " + result.err);
    return parse_xwd(result.out);
}

}  // namespace osyl::test
