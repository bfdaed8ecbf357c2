#include "platform/timer.h"

#include <utility>

namespace osyl {

namespace {
// Wake a little after the minute has turned, never just before it.
constexpr std::int64_t slack_ms = 2;
constexpr std::int64_t minute_ms = 60'000;
}  // namespace

Timer::Timer(TimerHost& host, int interval_ms, std::function<void()> handler)
    : m_host(host), m_interval_ms(interval_ms), m_handler(std::move(handler)) {
    host.attach(*this);
}

Timer::~Timer() { m_host.detach(*this); }

// Zone offsets are whole seconds, so the milliseconds of local and wall-clock time agree.
std::int64_t Timer::next_boundary(std::int64_t now_ms) const {
    LocalTime local = m_host.backend().local_time(now_ms);
    std::int64_t millisecond = ((now_ms % 1000) + 1000) % 1000;
    return now_ms - (local.second * 1000 + millisecond) + minute_ms + slack_ms;
}

// Only a tick due more than a minute ahead can have been passed by a step back, so the
// local time is looked up only then.
void Timer::follow_clock(std::int64_t now_ms) {
    if (m_due_ms - now_ms > minute_ms && m_due_ms > next_boundary(now_ms)) m_due_ms = now_ms;
}

bool Timer::fire_if_due(std::int64_t now_ms) {
    if (!enabled() || now_ms < m_due_ms) return false;
    m_due_ms = next_boundary(now_ms);
    m_handler();
    return true;
}

}  // namespace osyl
