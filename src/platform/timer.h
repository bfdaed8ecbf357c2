#pragma once

#include <cstdint>
#include <functional>

namespace osyl {

class Desktop;

// A periodic tick owned by a window. This platform's shortest period is one second:
// any shorter request ticks just after each wall-clock second, so an idle bar sleeps.
class Timer {
public:
    Timer(Desktop& desktop, int interval_ms, std::function<void()> handler);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer();

    bool enabled() const { return m_enabled && m_interval_ms > 0 && m_handler != nullptr; }
    void set_enabled(bool enabled) { m_enabled = enabled; }
    // The period actually used, in milliseconds.
    std::int64_t period_ms() const;

    // When the next tick is due; the first is due at once.
    std::int64_t due_ms() const { return m_due_ms; }
    // Runs the handler if the tick is due, and schedules the next one; ticks that were
    // missed meanwhile are merged into this one.
    bool fire_if_due(std::int64_t now_ms);
    // A tick due further ahead than one period means the wall clock was set back: it is
    // due now instead, so the clock never stands still for as long as the step.
    void follow_clock(std::int64_t now_ms);

private:
    Desktop& m_desktop;
    int m_interval_ms;
    std::function<void()> m_handler;
    bool m_enabled = true;
    std::int64_t m_due_ms = 0;
};

}  // namespace osyl
