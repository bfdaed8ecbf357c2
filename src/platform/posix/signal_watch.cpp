#include "platform/posix/signal_watch.h"

#include "platform/errors.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>

namespace osyl::posix {

namespace {

sigset_t watched_signals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

SignalWatch::SignalWatch() {
    sigset_t set = watched_signals();
    if (int err = pthread_sigmask(SIG_BLOCK, &set, &m_old_mask); err != 0) throw SystemError(err);
    int fd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        pthread_sigmask(SIG_SETMASK, &m_old_mask, nullptr);
        throw SystemError(err);
    }
    m_file = FileHandle(fd);
}

SignalWatch::~SignalWatch() {
    // Signals still pending would strike the moment they are unblocked; they were meant
    // for this watch, so they are consumed here.
    while (take()) {
    }
    m_file.close();
    pthread_sigmask(SIG_SETMASK, &m_old_mask, nullptr);
}

std::optional<int> SignalWatch::take() const {
    signalfd_siginfo info{};
    if (read(fd(), &info, sizeof info) != static_cast<ssize_t>(sizeof info)) return std::nullopt;
    return static_cast<int>(info.ssi_signo);
}

}  // namespace osyl::posix
