#include "platform/posix/event_wait.h"

#include "platform/clock.h"
#include "platform/errors.h"

#include <poll.h>

#include <array>
#include <cerrno>

namespace osyl::posix {

EventWait::Woke EventWait::wait(int display_fd, std::optional<std::int64_t> deadline_ms) {
    if (m_clock.arm(deadline_ms) == ClockWatch::Fired::ClockSet) return Woke::SettingsChanged;
    for (;;) {
        std::array<pollfd, 3> fds{
            {{display_fd, POLLIN, 0}, {m_signals.fd(), POLLIN, 0}, {m_clock.fd(), POLLIN, 0}}};
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) throw SystemError(errno);
        if ((fds[2].revents & POLLIN) != 0) {
            ClockWatch::Fired fired = m_clock.take();
            if (fired == ClockWatch::Fired::Deadline) return Woke::Deadline;
            if (fired == ClockWatch::Fired::ClockSet) return Woke::SettingsChanged;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            if (std::optional<int> signal = m_signals.take()) {
                if (*signal != SIGHUP) return Woke::Quit;
                load_time_zone();
                return Woke::SettingsChanged;
            }
        }
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) return Woke::Display;
    }
}

}  // namespace osyl::posix
