#include "platform/posix/signal_watch.h"

#include "platform/errors.h"
#include "platform/process.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>

namespace osyl::posix {

namespace {

// Where the handler writes: the pipe of the watch that lives now.
volatile sig_atomic_t handler_target = -1;

void set_exit_alarm(int ms) {
    itimerval alarm{};
    alarm.it_value.tv_usec = ms * 1000;
    setitimer(ITIMER_REAL, &alarm, nullptr);
}

void on_signal(int number) {
    if (number == SIGALRM) _exit(0);
    int saved = errno;
    // A second request keeps the first one's deadline.
    if (number != SIGHUP && !termination_pending()) {
        set_termination_pending(true);
        set_exit_alarm(SignalWatch::exit_deadline_ms);
    }
    auto byte = static_cast<unsigned char>(number);
    // A full pipe already holds a wake-up; the byte may be dropped.
    [[maybe_unused]] ssize_t written = write(handler_target, &byte, 1);
    errno = saved;
}

}  // namespace

SignalWatch::SignalWatch() {
    int ends[2];
    if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) throw SystemError(errno);
    m_read = FileHandle(ends[0]);
    m_write = FileHandle(ends[1]);
    m_old_target = handler_target;
    handler_target = ends[1];
    for (std::size_t i = 0; i < watched.size(); ++i) {
        struct sigaction action {};
        action.sa_handler = on_signal;
        sigemptyset(&action.sa_mask);
        // SIGHUP only asks to re-read the settings: nothing it interrupts should fail.
        action.sa_flags = watched[i] == SIGHUP ? SA_RESTART : 0;
        sigaction(watched[i], &action, &m_old[i]);
    }
}

SignalWatch::~SignalWatch() {
    set_exit_alarm(0);
    for (std::size_t i = 0; i < watched.size(); ++i) sigaction(watched[i], &m_old[i], nullptr);
    handler_target = m_old_target;
}

std::optional<int> SignalWatch::take() const {
    unsigned char byte = 0;
    if (read(fd(), &byte, 1) != 1) return std::nullopt;
    if (byte != SIGHUP) {
        set_exit_alarm(0);
        set_termination_pending(false);
    }
    return static_cast<int>(byte);
}

}  // namespace osyl::posix
