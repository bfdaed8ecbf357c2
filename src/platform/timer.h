#pragma once

#include "platform/backend.h"

#include <cstdint>
#include <functional>

namespace osyl {

class Timer;

// The desktop that keeps the timers and runs those due.
class TimerHost {
public:
    virtual Backend& backend() const = 0;
    virtual void attach(Timer& timer) = 0;
    virtual void detach(Timer& timer) = 0;

protected:
    ~TimerHost() = default;
};

// A tick source owned by a window. The program's one timer drives a clock that shows hours
// and minutes, which can change only at a local minute boundary. So however short the
// interval asked for, this platform ticks at once and then just after each local minute
// boundary (computed from local time, so a zone offset of odd seconds is followed too),
// and the idle program sleeps in between.
class Timer {
public:
    Timer(TimerHost& host, int interval_ms, std::function<void()> handler);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer();

    bool enabled() const { return m_interval_ms > 0 && m_handler != nullptr; }

    // When the next tick is due; the first is due at once.
    std::int64_t due_ms() const { return m_due_ms; }
    // Runs the handler if the tick is due, and schedules the next one; boundaries that
    // passed meanwhile are merged into this tick.
    bool fire_if_due(std::int64_t now_ms);
    // A tick due later than the next boundary means the wall clock was set back past one:
    // it is due now instead, so the clock never stands still for as long as the step.
    void follow_clock(std::int64_t now_ms);
    // The wall clock was set or the time zone or format changed: tick at once.
    void make_due() { m_due_ms = 0; }

private:
    std::int64_t next_boundary(std::int64_t now_ms) const;

    TimerHost& m_host;
    int m_interval_ms;
    std::function<void()> m_handler;
    std::int64_t m_due_ms = 0;
};

}  // namespace osyl
