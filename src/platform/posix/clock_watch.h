#pragma once

#include "platform/files.h"

#include <cstdint>
#include <optional>

namespace osyl::posix {

// A wall-clock alarm the event loop polls beside the display connection. Armed at an
// absolute time on the real-time clock, it also fires when that clock is set or stepped
// (and after resume from suspend), so a clock set back an hour does not sleep an hour.
class ClockWatch {
public:
    enum class Fired { Nothing, Deadline, ClockSet };

    ClockWatch();

    int fd() const { return static_cast<int>(m_file.native()); }
    // Fires at deadline_ms (milliseconds since the epoch); nothing disarms it.
    // Returns ClockSet when the clock was set since the last arming.
    Fired arm(std::optional<std::int64_t> deadline_ms);
    // What happened since arm(); Nothing when the descriptor was not readable.
    Fired take();

private:
    FileHandle m_file;
    std::optional<std::int64_t> m_armed;  // the deadline the kernel holds
};

}  // namespace osyl::posix
