#pragma once

#include "platform/geometry.h"
#include "platform/picture.h"

#include <windows.h>

#include <memory>
#include <type_traits>

namespace osyl::win32 {

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// Messages reach the backend from here on; before, while the window is being created and
// the backend may be half-built, they get the default handling.
inline void attach(HWND window, void* backend) {
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(backend));
}

// A window class, registered for as long as the backend lives.
class WindowClass {
public:
    WindowClass(const wchar_t* name, WNDPROC procedure, HICON icon);
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
    ~WindowClass() { UnregisterClassW(m_name, GetModuleHandleW(nullptr)); }
    const wchar_t* name() const { return m_name; }

private:
    const wchar_t* m_name;
};

// Form1 or Form2: a borderless popup owned by the application window, showing the pixels
// last presented and the button face beyond them.
class FormWindow {
public:
    FormWindow(const WindowClass& window_class, const wchar_t* caption, Rect bounds, HWND owner,
               void* backend);
    HWND hwnd() const { return m_hwnd.get(); }
    // Where the program placed the window; a maximized window is elsewhere and larger.
    Rect bounds() const { return m_bounds; }
    void set_bounds(Rect bounds);
    void present(Picture pixels);
    void update(Rect area, const Picture& pixels);
    void paint();

private:
    UniqueWindow m_hwnd;
    Rect m_bounds;
    Picture m_pixels;
};

}  // namespace osyl::win32
