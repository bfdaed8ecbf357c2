#include "platform/timer.h"

#include "platform/desktop.h"

#include <utility>

namespace osyl {

namespace {
// Wake a little after the second has turned, never just before it.
constexpr std::int64_t slack_ms = 2;
}  // namespace

Timer::Timer(Desktop& desktop, int interval_ms, std::function<void()> handler)
    : m_desktop(desktop), m_interval_ms(interval_ms), m_handler(std::move(handler)) {
    desktop.attach(*this);
}

Timer::~Timer() { m_desktop.detach(*this); }

std::int64_t Timer::period_ms() const {
    std::int64_t seconds = (static_cast<std::int64_t>(m_interval_ms) + 999) / 1000;
    return (seconds < 1 ? 1 : seconds) * 1000;
}

void Timer::follow_clock(std::int64_t now_ms) {
    if (m_due_ms - now_ms > period_ms()) m_due_ms = now_ms;
}

bool Timer::fire_if_due(std::int64_t now_ms) {
    if (!enabled() || now_ms < m_due_ms) return false;
    std::int64_t period = period_ms();
    m_due_ms = (now_ms / period + 1) * period + slack_ms;
    m_handler();
    return true;
}

}  // namespace osyl
