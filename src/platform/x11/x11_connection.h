#pragma once

// Internal to the X11 backend: only its .cpp files include this header.

#include "platform/geometry.h"
#include "platform/picture.h"
#include "platform/x11/pixel_format.h"

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <utility>

namespace osyl::x11 {

// Owns one server-side id and frees it with Free when it dies.
template <auto Free>
class XOwned {
public:
    XOwned() = default;
    XOwned(xcb_connection_t* conn, std::uint32_t id) : m_conn(conn), m_id(id) {}
    XOwned(XOwned&& o) noexcept : m_conn(o.m_conn), m_id(std::exchange(o.m_id, 0)) {}
    XOwned& operator=(XOwned o) noexcept {
        std::swap(m_conn, o.m_conn);
        std::swap(m_id, o.m_id);
        return *this;
    }
    ~XOwned() {
        if (m_id != 0) Free(m_conn, m_id);
    }
    std::uint32_t id() const { return m_id; }

private:
    xcb_connection_t* m_conn = nullptr;
    std::uint32_t m_id = 0;
};

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using XReply = std::unique_ptr<T, FreeDeleter>;  // replies, events and errors

// Every atom the backend uses, with its name: one table, expanded into the enumeration
// here and into the names interned at start-up.
#define OSYL_X11_ATOMS(X)                                  \
    X(WmProtocols, "WM_PROTOCOLS")                         \
    X(WmDeleteWindow, "WM_DELETE_WINDOW")                  \
    X(WmClientLeader, "WM_CLIENT_LEADER")                  \
    X(Utf8String, "UTF8_STRING")                           \
    X(NetWmName, "_NET_WM_NAME")                           \
    X(NetWmIcon, "_NET_WM_ICON")                           \
    X(NetWmPid, "_NET_WM_PID")                             \
    X(NetWmState, "_NET_WM_STATE")                         \
    X(NetWmStateSkipTaskbar, "_NET_WM_STATE_SKIP_TASKBAR") \
    X(NetWmStateSkipPager, "_NET_WM_STATE_SKIP_PAGER")     \
    X(NetWmStateModal, "_NET_WM_STATE_MODAL")              \
    X(NetWmWindowType, "_NET_WM_WINDOW_TYPE")              \
    X(NetWmWindowTypeNormal, "_NET_WM_WINDOW_TYPE_NORMAL") \
    X(NetWmWindowTypeDialog, "_NET_WM_WINDOW_TYPE_DIALOG") \
    X(NetWmUserTime, "_NET_WM_USER_TIME")                  \
    X(NetActiveWindow, "_NET_ACTIVE_WINDOW")               \
    X(NetSupportingWmCheck, "_NET_SUPPORTING_WM_CHECK")    \
    X(NetSupported, "_NET_SUPPORTED")                      \
    X(MotifWmHints, "_MOTIF_WM_HINTS")                     \
    X(OsylTimestamp, "_OSYL_TIMESTAMP")

enum class Atom {
#define OSYL_ATOM_ENUM(name, text) name,
    OSYL_X11_ATOMS(OSYL_ATOM_ENUM)
#undef OSYL_ATOM_ENUM
        Count,
};

// The X side of the program's error rule: an X protocol error, whether it arrives in the
// event queue or as the answer to a checked request or a query that we do not turn into
// one of our exceptions, is written to standard error as one line and the program goes
// on; the user sees no report for it.
void write_x_error(const xcb_generic_error_t& error);
// A lost connection ends the program as log-off would (status 0), after this one line.
void write_lost_display();

// The connection to the display with what every request needs: the screen, the atoms,
// the visual and its pixel format, and the request size limit.
class Connection {
public:
    // Opens $DISPLAY; throws DisplayError when that fails or the screen offers no 24- or
    // 32-bit TrueColor visual. A wait on the server ends early once the interrupt
    // descriptor (the signal watch's) is readable.
    explicit Connection(int interrupt_fd);

    xcb_connection_t* get() const { return m_conn.get(); }
    const xcb_screen_t& screen() const { return *m_screen; }
    xcb_window_t root() const { return m_screen->root; }
    // The visual every window is made with, its depth and a colormap to go with it.
    xcb_visualid_t visual() const { return m_visual; }
    std::uint8_t depth() const { return m_depth; }
    xcb_colormap_t colormap() const { return m_colormap; }
    // A graphics context for drawables of that depth.
    XOwned<xcb_free_gc> create_gc(std::uint32_t mask, const std::uint32_t* values) const;
    xcb_atom_t atom(Atom a) const { return m_atoms[static_cast<std::size_t>(a)]; }
    std::uint32_t pixel(Rgb colour) const { return pixel_value(m_format, colour); }
    std::uint32_t generate_id() const { return xcb_generate_id(get()); }
    bool has_error() const { return xcb_connection_has_error(get()) != 0; }
    int fd() const { return xcb_get_file_descriptor(get()); }
    void flush() const { xcb_flush(get()); }

    // How long the program waits for the server to answer before it goes on without.
    static constexpr std::int64_t answer_wait_ms = 1000;
    // Milliseconds on a clock that only goes forwards, for the deadlines of those waits.
    static std::int64_t steady_ms();
    // Waits until the server sends something; false when the deadline passed first, a
    // signal arrived or the connection failed.
    bool wait_readable(std::int64_t deadline_ms) const;
    // The reply to a request, waited for as above; nothing when it did not come in time.
    // The request's error goes to *error when asked for, else it is dropped.
    template <class Reply>
    XReply<Reply> reply(unsigned int sequence, xcb_generic_error_t** error = nullptr) const {
        return XReply<Reply>(static_cast<Reply*>(wait_for_reply(sequence, error)));
    }

    // Uploads the picture with its corner at the point, in bands that each fit one request.
    void put_picture(xcb_drawable_t drawable, xcb_gcontext_t gc, const Picture& picture,
                     Point at = {}) const;

    void set_string(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                    const std::string& text) const;
    void set_u32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                 std::span<const std::uint32_t> values) const;
    // WM_NAME and _NET_WM_NAME.
    void set_caption(xcb_window_t window, const std::string& caption) const;

    // The check window of the EWMH window manager that runs, or 0 when none runs.
    xcb_window_t wm_check() const;
    // True when the root's _NET_SUPPORTED lists the hint.
    bool wm_lists(Atom hint) const;

private:
    struct Disconnect {
        void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
    };
    void choose_visual(const std::string& display);
    void intern_atoms();
    xcb_window_t wm_check_window(xcb_window_t on) const;
    void* wait_for_reply(unsigned int sequence, xcb_generic_error_t** error) const;

    int m_interrupt_fd = -1;
    std::unique_ptr<xcb_connection_t, Disconnect> m_conn;
    xcb_screen_t* m_screen = nullptr;
    std::array<xcb_atom_t, static_cast<std::size_t>(Atom::Count)> m_atoms{};
    PixelFormat m_format;
    xcb_visualid_t m_visual = 0;
    std::uint8_t m_depth = 0;
    xcb_colormap_t m_colormap = 0;
    XOwned<xcb_free_colormap> m_own_colormap;
    std::size_t m_max_request_bytes = 0;
};

}  // namespace osyl::x11
