#include "platform/win32/win32_boxes.h"
#include "platform/win32/text_win32.h"

#include "platform/clock.h"
#include "platform/win32/win32_input.h"

#include <algorithm>

namespace osyl::win32 {

namespace {

std::vector<HWND> disable_all_but(HWND owner, const std::vector<HWND>& windows) {
    std::vector<HWND> disabled;
    for (HWND window : windows) {
        if (window != owner && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            disabled.push_back(window);
        }
    }
    return disabled;
}

}  // namespace

BoxId ModalBoxes::open(const MessageBoxSpec& spec) {
    BoxId id = m_next_id++;
    m_waiting.push_back({id, spec});
    return id;
}

void ModalBoxes::close(BoxId box) {
    std::erase_if(m_waiting, [box](const Waiting& waiting) { return waiting.id == box; });
}

// A box opened while another is open (by a tick in that box's loop) has no owner: an owner
// the outer box disabled would be enabled again when the inner one closes.
std::optional<WindowId> ModalBoxes::next_owner() const {
    if (m_waiting.empty() || m_depth > 0) return std::nullopt;
    return m_waiting.front().spec.owner;
}

// MessageBoxW disables its owner; the other windows are disabled here. A box without an
// owner is modal for the whole program.
BoxId ModalBoxes::run_next(std::optional<std::int64_t> deadline_ms, HWND owner,
                           const std::vector<HWND>& windows) {
    Waiting box = std::move(m_waiting.front());
    m_waiting.pop_front();
    if (m_depth > 0) owner = nullptr;
    ReleaseCapture();
    std::vector<HWND> disabled =
        owner != nullptr ? disable_all_but(owner, windows) : std::vector<HWND>{};
    ++m_depth;
    arm(deadline_ms);
    UINT style = MB_OK | MB_ICONSTOP | (owner == nullptr ? MB_TASKMODAL : 0U);
    MessageBoxW(owner, to_utf16(box.spec.text).c_str(), to_utf16(box.spec.caption).c_str(), style);
    if (--m_depth == 0) KillTimer(m_timer_window, timer_id);
    for (HWND window : disabled) EnableWindow(window, TRUE);
    return box.id;
}

// One timer for the next deadline, not a fast periodic one: the idle program sleeps.
void ModalBoxes::arm(std::optional<std::int64_t> deadline_ms) {
    if (!deadline_ms || !m_tick) {
        KillTimer(m_timer_window, timer_id);
        return;
    }
    std::int64_t left = std::clamp<std::int64_t>(*deadline_ms - wall_clock_ms(), USER_TIMER_MINIMUM,
                                                 USER_TIMER_MAXIMUM);
    SetTimer(m_timer_window, timer_id, static_cast<UINT>(left), nullptr);
}

// The tick may open a nested report, whose box runs inside this one's loop. When it
// throws, the timer stays off.
bool ModalBoxes::on_timer(WPARAM id) {
    if (id != timer_id) return false;
    KillTimer(m_timer_window, timer_id);
    if (m_depth > 0 && m_tick) arm(m_tick());
    return true;
}

}  // namespace osyl::win32
