#include "platform/posix/clock_watch.h"

#include "platform/errors.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace osyl::posix {

ClockWatch::ClockWatch() {
    int fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0) throw SystemError(errno);
    m_file = FileHandle(fd);
}

// Re-arms only when the deadline changes: most passes through the loop keep it.
ClockWatch::Fired ClockWatch::arm(std::optional<std::int64_t> deadline_ms) {
    if (deadline_ms == m_armed) return Fired::Nothing;
    itimerspec spec{};
    int flags = 0;
    if (deadline_ms) {
        // An all-zero time would disarm: a deadline at the epoch still fires.
        std::int64_t ms = *deadline_ms > 0 ? *deadline_ms : 1;
        spec.it_value.tv_sec = static_cast<time_t>(ms / 1000);
        spec.it_value.tv_nsec = static_cast<long>(ms % 1000 * 1000000);
        flags = TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET;
    }
    if (timerfd_settime(fd(), flags, &spec, nullptr) < 0) {
        m_armed.reset();
        if (errno == ECANCELED) return Fired::ClockSet;
        throw SystemError(errno);
    }
    m_armed = deadline_ms;
    return Fired::Nothing;
}

ClockWatch::Fired ClockWatch::take() {
    std::uint64_t expirations = 0;
    if (read(fd(), &expirations, sizeof expirations) == sizeof expirations) {
        m_armed.reset();  // a one-shot timer is disarmed once it fired
        return Fired::Deadline;
    }
    if (errno != ECANCELED) return Fired::Nothing;
    m_armed.reset();  // armed again, as cancelable, at the next arm()
    return Fired::ClockSet;
}

}  // namespace osyl::posix
