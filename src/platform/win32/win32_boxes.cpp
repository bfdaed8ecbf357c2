#include "platform/win32/win32_boxes.h"
#include "platform/win32/text_win32.h"

#include "platform/clock.h"
#include "platform/win32/win32_input.h"

#include <algorithm>
#include <utility>

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

// The longest start of the word that fits, ending after its last folder separator if
// that leaves something; at least one character.
std::size_t fitting_piece(std::wstring_view word, int max_width,
                          const std::function<int(std::wstring_view)>& width) {
    std::size_t length = 1;
    while (length < word.size() && width(word.substr(0, length + 1)) <= max_width) ++length;
    if (length == word.size()) return length;
    std::size_t separator = word.substr(0, length).find_last_of(L"\\/");
    return separator != std::wstring_view::npos ? separator + 1 : length;
}

// The message font's widths on the screen, and the text width that keeps a box on the
// work area with room for its icon, margins and frame.
class ScreenText {
public:
    ScreenText() {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            m_font = CreateFontIndirectW(&metrics.lfMessageFont);
        if (m_dc && m_font) m_old = SelectObject(m_dc, m_font);
    }
    ScreenText(const ScreenText&) = delete;
    ScreenText& operator=(const ScreenText&) = delete;
    ~ScreenText() {
        if (m_old) SelectObject(m_dc, m_old);
        if (m_font) DeleteObject(m_font);
        if (m_dc) ReleaseDC(nullptr, m_dc);
    }
    int width(std::wstring_view text) const {
        SIZE size{};
        GetTextExtentPoint32W(m_dc, text.data(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    static int max_width() {
        RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), 0};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        return std::max<int>((area.right - area.left) * 5 / 8, 100);
    }

private:
    HDC m_dc = GetDC(nullptr);
    HFONT m_font = nullptr;
    HGDIOBJ m_old = nullptr;
};

std::wstring fitted_text(const std::string& text) {
    ScreenText screen;
    return fit_words(to_utf16(text), ScreenText::max_width(),
                     [&](std::wstring_view piece) { return screen.width(piece); });
}

// Notes the dialog that MessageBoxW creates while it lives (the first of class #32770), so
// that a report opened over it can belong to it. Boxes nest: the innermost is current.
class BoxCreation {
public:
    BoxCreation()
        : m_outer(std::exchange(s_current, this)),
          m_hook(SetWindowsHookExW(WH_CBT, on_cbt, nullptr, GetCurrentThreadId())) {}
    BoxCreation(const BoxCreation&) = delete;
    BoxCreation& operator=(const BoxCreation&) = delete;
    ~BoxCreation() {
        if (m_hook) UnhookWindowsHookEx(m_hook);
        s_current = m_outer;
    }
    // The box of the innermost report open now, if it could be seen.
    static HWND innermost() { return s_current ? s_current->m_box : nullptr; }

private:
    static LRESULT CALLBACK on_cbt(int code, WPARAM wp, LPARAM lp) {
        auto window = reinterpret_cast<HWND>(wp);
        wchar_t name[8] = {};
        if (code == HCBT_CREATEWND && s_current && !s_current->m_box &&
            GetClassNameW(window, name, 8) > 0 && std::wstring_view(name) == L"#32770")
            s_current->m_box = window;
        return CallNextHookEx(nullptr, code, wp, lp);
    }

    static inline BoxCreation* s_current = nullptr;
    BoxCreation* m_outer;
    HHOOK m_hook;
    HWND m_box = nullptr;
};

}  // namespace

std::wstring fit_words(std::wstring_view text, int max_width,
                       const std::function<int(std::wstring_view)>& width) {
    std::wstring out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = std::min(text.find_first_of(L" \r\n", start), text.size());
        std::wstring_view word = text.substr(start, end - start);
        while (!word.empty() && width(word) > max_width) {
            std::size_t piece = fitting_piece(word, max_width, width);
            out.append(word.substr(0, piece)).append(L"\r\n");
            word.remove_prefix(piece);
        }
        out.append(word);
        if (end < text.size()) out.push_back(text[end]);
        start = end + 1;
    }
    return out;
}

BoxId ModalBoxes::open(const MessageBoxSpec& spec) {
    BoxId id = m_next_id++;
    m_waiting.push_back({id, spec});
    return id;
}

void ModalBoxes::close(BoxId box) {
    std::erase_if(m_waiting, [box](const Waiting& waiting) { return waiting.id == box; });
}

// A box opened while another is open (by a tick in that box's loop) belongs to that box,
// not to a window: an owner the outer box disabled would be enabled again when the inner
// one closes.
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
    HWND outer = BoxCreation::innermost();
    if (m_depth > 0) owner = outer;
    ReleaseCapture();
    std::vector<HWND> disabled =
        owner != nullptr ? disable_all_but(owner, windows) : std::vector<HWND>{};
    ++m_depth;
    arm(deadline_ms);
    UINT style = MB_OK | MB_ICONSTOP | (owner == nullptr ? MB_TASKMODAL : 0U);
    {
        BoxCreation creation;
        MessageBoxW(owner, fitted_text(box.spec.text).c_str(), to_utf16(box.spec.caption).c_str(),
                    style);
    }
    if (--m_depth == 0) KillTimer(m_timer_window, timer_id);
    for (HWND window : disabled) EnableWindow(window, TRUE);
    // The report left open takes the keyboard back, not the disabled window below it.
    if (outer != nullptr) SetForegroundWindow(outer);
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
