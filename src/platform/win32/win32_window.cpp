#include "platform/win32/win32_window.h"

#include "platform/errors.h"
#include "platform/win32/text_win32.h"

#include <utility>

namespace osyl::win32 {

WindowClass::WindowClass(const wchar_t* name, WNDPROC procedure, HICON icon) : m_name(name) {
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = procedure;
    description.hInstance = GetModuleHandleW(nullptr);
    description.hIcon = icon;
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    description.lpszClassName = name;
    // No CS_DBLCLKS: double clicks are recognised by the desktop, from press times.
    if (RegisterClassExW(&description) == 0)
        throw SystemError(static_cast<int>(GetLastError()), "Cannot register the window class");
}

FormWindow::FormWindow(const WindowClass& window_class, const wchar_t* caption, Rect bounds,
                       HWND owner, void* backend)
    : m_bounds(bounds) {
    // A popup without frame or caption: the window is exactly its client area.
    m_hwnd.reset(CreateWindowExW(0, window_class.name(), caption, WS_POPUP | WS_CLIPSIBLINGS,
                                 bounds.left, bounds.top, bounds.width, bounds.height, owner,
                                 nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!m_hwnd)
        throw SystemError(static_cast<int>(GetLastError()),
                          "Cannot create the window " + to_utf8(caption));
    attach(hwnd(), backend);
}

void FormWindow::set_bounds(Rect bounds) {
    if (bounds == m_bounds) return;
    m_bounds = bounds;
    SetWindowPos(hwnd(), nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::present(Picture pixels) {
    m_pixels = std::move(pixels);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

// Only the changed rectangle is painted again; the rest of the window stays valid.
void FormWindow::update(Rect area, const Picture& pixels) {
    m_pixels.blit(pixels, area.left, area.top);
    RECT changed{area.left, area.top, area.right(), area.bottom()};
    InvalidateRect(hwnd(), &changed, FALSE);
}

// 0x00RRGGBB in memory is the blue, green, red, unused order of a 32-bit DIB.
void FormWindow::paint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(hwnd(), &paint);
    if (dc == nullptr) return;
    int width = m_pixels.width();
    int height = m_pixels.height();
    if (!m_pixels.empty()) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                          static_cast<UINT>(height), m_pixels.pixels().data(), &info,
                          DIB_RGB_COLORS);
        ExcludeClipRect(dc, 0, 0, width, height);
    }
    RECT client{};
    GetClientRect(hwnd(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    EndPaint(hwnd(), &paint);
}

}  // namespace osyl::win32
