#pragma once

#include "platform/posix/clock_watch.h"
#include "platform/posix/signal_watch.h"

#include <cstdint>
#include <optional>

namespace osyl::posix {

// The one wait of a display backend's event loop: a poll over the display connection, the
// wall-clock alarm and the signals. SIGTERM and SIGINT ask to quit; SIGHUP re-reads the
// time zone. Blocks those signals while it lives.
class EventWait {
public:
    enum class Woke { Display, Deadline, SettingsChanged, Quit };

    // Returns as soon as one of them has something, the clock and the signals first.
    // The deadline is a wall-clock alarm, so a clock set while waiting (or a resume) wakes
    // the loop at once as a settings change, and the core ticks again.
    Woke wait(int display_fd, std::optional<std::int64_t> deadline_ms);
    // Readable when a signal is waiting: a wait elsewhere (for a server's answer) watches it.
    int signal_fd() const { return m_signals.fd(); }

private:
    SignalWatch m_signals;
    ClockWatch m_clock;
};

}  // namespace osyl::posix
