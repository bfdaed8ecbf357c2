#pragma once

#include "platform/backend.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace osyl::win32 {

// A report's text with line breaks added inside every word wider than max_width (by the
// width function), after a folder separator where one fits, so that a long path cannot
// make the box wider than the screen. Nothing else changes.
std::wstring fit_words(std::wstring_view text, int max_width,
                       const std::function<int(std::wstring_view)>& width);

// Error reports as MessageBoxW, which runs a modal loop of its own. A box waits here until
// the event loop shows it; while one is open, a timer on the application window runs the
// desktop's modal tick, so the clock keeps going inside the box's loop.
class ModalBoxes {
public:
    explicit ModalBoxes(HWND timer_window) : m_timer_window(timer_window) {}
    ModalBoxes(const ModalBoxes&) = delete;
    ModalBoxes& operator=(const ModalBoxes&) = delete;
    ~ModalBoxes() { KillTimer(m_timer_window, timer_id); }

    void set_tick(ModalTick tick) { m_tick = std::move(tick); }
    BoxId open(const MessageBoxSpec& spec);
    // A box still waiting is dropped; one already open is MessageBoxW's to close.
    void close(BoxId box);
    bool waiting() const { return !m_waiting.empty(); }
    std::optional<WindowId> next_owner() const;

    // Shows the next waiting box until it is dismissed, with the other windows of the
    // program disabled; returns its id.
    BoxId run_next(std::optional<std::int64_t> deadline_ms, HWND owner,
                   const std::vector<HWND>& windows);
    // WM_TIMER on the timer window; false when the timer is not this one.
    bool on_timer(WPARAM id);

private:
    static constexpr UINT_PTR timer_id = 1;
    struct Waiting {
        BoxId id = 0;
        MessageBoxSpec spec;
    };

    void arm(std::optional<std::int64_t> deadline_ms);

    HWND m_timer_window;
    std::deque<Waiting> m_waiting;
    BoxId m_next_id = 1;
    int m_depth = 0;
    ModalTick m_tick;
};

}  // namespace osyl::win32
