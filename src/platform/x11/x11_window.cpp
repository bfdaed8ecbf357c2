#include "platform/x11/x11_window.h"

#include "platform/colours.h"

#include <xcb/xcb_icccm.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <vector>

namespace osyl::x11 {

namespace {

constexpr std::uint32_t window_events =
    XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION |
    XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_FOCUS_CHANGE |
    XCB_EVENT_MASK_STRUCTURE_NOTIFY;

std::uint16_t extent(int value) { return static_cast<std::uint16_t>(std::clamp(value, 1, 32767)); }

std::string host_name() {
    std::array<char, HOST_NAME_MAX + 1> name{};
    if (gethostname(name.data(), name.size() - 1) != 0) return {};
    return name.data();
}

void set_common_properties(const Connection& conn, xcb_window_t window, xcb_window_t leader) {
    xcb_icccm_wm_hints_t hints{};
    xcb_icccm_wm_hints_set_input(&hints, 1);
    xcb_icccm_wm_hints_set_normal(&hints);
    xcb_icccm_wm_hints_set_window_group(&hints, leader);
    xcb_icccm_set_wm_hints(conn.get(), window, &hints);

    std::array<std::uint32_t, 1> leader_value{leader};
    conn.set_u32(window, conn.atom(Atom::WmClientLeader), XCB_ATOM_WINDOW, leader_value);
    static constexpr char wm_class[] = "osyl\0Osyl";  // instance and class, each NUL-ended
    xcb_icccm_set_wm_class(conn.get(), window, sizeof wm_class, wm_class);
    std::array<std::uint32_t, 1> pid{static_cast<std::uint32_t>(getpid())};
    conn.set_u32(window, conn.atom(Atom::NetWmPid), XCB_ATOM_CARDINAL, pid);
    conn.set_string(window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, host_name());
    std::array<xcb_atom_t, 1> protocols{conn.atom(Atom::WmDeleteWindow)};
    xcb_icccm_set_wm_protocols(conn.get(), window, conn.atom(Atom::WmProtocols), 1,
                               protocols.data());
}

}  // namespace

XOwned<xcb_destroy_window> create_top_level(const Connection& conn, const WindowBase& base,
                                            const TopLevelSpec& spec) {
    xcb_window_t id = conn.generate_id();
    // A border pixel and a colormap, because the visual may differ from the root's.
    std::array<std::uint32_t, 5> values{conn.pixel(button_face), 0, spec.events, conn.colormap(),
                                        base.cursor};
    std::uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK |
                         XCB_CW_COLORMAP | XCB_CW_CURSOR;
    if (spec.input_only) {
        values = {spec.events, base.cursor};
        mask = XCB_CW_EVENT_MASK | XCB_CW_CURSOR;  // an input-only window has no background
    }
    std::uint8_t depth = spec.input_only ? 0 : conn.depth();
    xcb_visualid_t visual = spec.input_only ? XCB_COPY_FROM_PARENT : conn.visual();
    xcb_create_window(conn.get(), depth, id, conn.root(),
                      static_cast<std::int16_t>(spec.bounds.left),
                      static_cast<std::int16_t>(spec.bounds.top), extent(spec.bounds.width),
                      extent(spec.bounds.height), 0,
                      spec.input_only ? XCB_WINDOW_CLASS_INPUT_ONLY : XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      visual, mask, values.data());
    XOwned<xcb_destroy_window> window(conn.get(), id);
    set_common_properties(conn, id, base.leader != 0 ? base.leader : id);
    return window;
}

bool MapTracker::request(bool visible) {
    if (visible == m_expected) return false;
    m_expected = visible;
    ++(visible ? m_pending_maps : m_pending_unmaps);
    return true;
}

bool MapTracker::notified(bool mapped) {
    m_mapped = mapped;
    int& pending = mapped ? m_pending_maps : m_pending_unmaps;
    if (pending > 0) {
        --pending;
        return false;
    }
    m_expected = mapped;
    return true;
}

void set_fixed_size_hints(const Connection& conn, xcb_window_t window, Rect bounds) {
    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, bounds.left, bounds.top);
    xcb_icccm_size_hints_set_size(&hints, 1, bounds.width, bounds.height);
    xcb_icccm_size_hints_set_min_size(&hints, bounds.width, bounds.height);
    xcb_icccm_size_hints_set_max_size(&hints, bounds.width, bounds.height);
    xcb_icccm_size_hints_set_win_gravity(&hints, XCB_GRAVITY_NORTH_WEST);
    xcb_icccm_set_wm_normal_hints(conn.get(), window, &hints);
}

TopWindow::TopWindow(const Connection& conn, const WindowBase& base, const WindowSpec& spec,
                     xcb_window_t transient_for)
    : m_conn(conn),
      m_base(base),
      m_bounds(spec.bounds),
      m_role(spec.role),
      m_transient_for(transient_for) {
    m_window = create_top_level(conn, base, {m_bounds, window_events, false});
    conn.set_caption(id(), spec.role == WindowRole::Main ? spec.title : spec.name);
    if (spec.role == WindowRole::Main) set_icon(spec.icon);
}

void TopWindow::set_icon(const IconImage& icon) const {
    if (icon.width <= 0 || icon.height <= 0 ||
        icon.argb.size() != static_cast<std::size_t>(icon.width) * icon.height) {
        return;
    }
    std::vector<std::uint32_t> data{static_cast<std::uint32_t>(icon.width),
                                    static_cast<std::uint32_t>(icon.height)};
    data.insert(data.end(), icon.argb.begin(), icon.argb.end());
    m_conn.set_u32(id(), m_conn.atom(Atom::NetWmIcon), XCB_ATOM_CARDINAL, data);
}

// A window manager may drop hints when a window is withdrawn (EWMH window managers drop
// _NET_WM_STATE), so they are all set again before every map.
void TopWindow::set_map_hints(std::uint32_t user_time) const {
    set_fixed_size_hints(m_conn, id(), m_bounds);
    // No title bar and no frame: the outer size is the client size.
    std::array<std::uint32_t, 5> motif{2, 0, 0, 0, 0};  // flags: decorations; decorations: none
    m_conn.set_u32(id(), m_conn.atom(Atom::MotifWmHints), m_conn.atom(Atom::MotifWmHints), motif);
    std::array<xcb_atom_t, 1> type{m_conn.atom(Atom::NetWmWindowTypeNormal)};
    m_conn.set_u32(id(), m_conn.atom(Atom::NetWmWindowType), XCB_ATOM_ATOM, type);
    std::array<std::uint32_t, 1> time{user_time};
    m_conn.set_u32(id(), m_conn.atom(Atom::NetWmUserTime), XCB_ATOM_CARDINAL, time);
    if (m_role == WindowRole::Main) return;
    std::array<xcb_atom_t, 2> state{m_conn.atom(Atom::NetWmStateSkipTaskbar),
                                    m_conn.atom(Atom::NetWmStateSkipPager)};
    m_conn.set_u32(id(), m_conn.atom(Atom::NetWmState), XCB_ATOM_ATOM, state);
    xcb_icccm_set_wm_transient_for(m_conn.get(), id(), m_transient_for);
}

void TopWindow::set_bounds(Rect bounds) {
    if (bounds == m_bounds) return;
    m_bounds = bounds;
    // Hints first, so a window manager never sees the new size outside the allowed range.
    set_fixed_size_hints(m_conn, id(), bounds);
    std::array<std::uint32_t, 4> values{static_cast<std::uint32_t>(bounds.left),
                                        static_cast<std::uint32_t>(bounds.top),
                                        extent(bounds.width), extent(bounds.height)};
    xcb_configure_window(m_conn.get(), id(),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values.data());
}

void TopWindow::show(std::uint32_t user_time) {
    if (!m_map.request(true)) return;
    set_map_hints(user_time);
    xcb_map_window(m_conn.get(), id());
}

void TopWindow::hide() {
    m_back = {};  // a hidden window gets a fresh picture when it is shown again
    m_back_area = {};
    m_map.request(false);
    xcb_unmap_window(m_conn.get(), id());
    // A window the window manager has iconified is unmapped already; this synthetic
    // notification withdraws it all the same.
    xcb_unmap_notify_event_t event{};
    event.response_type = XCB_UNMAP_NOTIFY;
    event.event = m_conn.root();
    event.window = id();
    send_to_root(m_conn, &event, sizeof event);
}

void send_to_root(const Connection& conn, const void* event, std::size_t size) {
    std::array<char, 32> wire{};  // SendEvent always carries 32 bytes
    std::memcpy(wire.data(), event, std::min(size, wire.size()));
    xcb_send_event(conn.get(), 0, conn.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   wire.data());
}

void TopWindow::make_back_buffer(int width, int height) {
    if (m_back.id() != 0 && m_back_area.width == width && m_back_area.height == height) return;
    m_back = {};
    xcb_pixmap_t pixmap = m_conn.generate_id();
    xcb_create_pixmap(m_conn.get(), m_conn.depth(), pixmap, m_conn.root(),
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height));
    m_back = XOwned<xcb_free_pixmap>(m_conn.get(), pixmap);
    m_back_area = {0, 0, width, height};
}

void TopWindow::present(const Picture& pixels) {
    if (pixels.empty()) {
        m_back = {};
        m_back_area = {};
    } else {
        make_back_buffer(pixels.width(), pixels.height());
        m_conn.put_picture(m_back.id(), m_base.gc, pixels);
    }
    repaint(m_back_area);
    // The button face shows where the picture does not reach.
    if (m_back_area.width < m_bounds.width) {
        xcb_clear_area(m_conn.get(), 0, id(), static_cast<std::int16_t>(m_back_area.width), 0, 0,
                       0);
    }
    if (m_back_area.height < m_bounds.height) {
        xcb_clear_area(m_conn.get(), 0, id(), 0, static_cast<std::int16_t>(m_back_area.height), 0,
                       0);
    }
}

void TopWindow::update(Rect area, const Picture& pixels) {
    if (m_back.id() == 0) return;
    m_conn.put_picture(m_back.id(), m_base.gc, pixels, {area.left, area.top});
    repaint(area);
}

void TopWindow::repaint(Rect area) const {
    area = area.intersected(m_back_area);
    if (area.empty()) return;
    xcb_copy_area(m_conn.get(), m_back.id(), id(), m_base.gc, static_cast<std::int16_t>(area.left),
                  static_cast<std::int16_t>(area.top), static_cast<std::int16_t>(area.left),
                  static_cast<std::int16_t>(area.top), static_cast<std::uint16_t>(area.width),
                  static_cast<std::uint16_t>(area.height));
}

}  // namespace osyl::x11
