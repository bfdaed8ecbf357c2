#include "platform/x11/x_client.h"

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace osyl::test {

namespace {

template <class T>
struct Reply {
    explicit Reply(T* p) : ptr(p) {}
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;
    ~Reply() { std::free(ptr); }
    T* operator->() const { return ptr; }
    explicit operator bool() const { return ptr != nullptr; }
    T* ptr;
};

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    Reply reply{xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr)};
    return reply ? reply->atom : XCB_NONE;
}

}  // namespace

struct XClient::Connection {
    xcb_connection_t* c = nullptr;
    xcb_screen_t* screen = nullptr;
};

XClient::XClient(const std::string& display) : m_conn(std::make_unique<Connection>()) {
    m_conn->c = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(m_conn->c) != 0) {
        xcb_disconnect(m_conn->c);
        throw std::runtime_error("test client cannot connect to " + display);
    }
    m_conn->screen = xcb_setup_roots_iterator(xcb_get_setup(m_conn->c)).data;
}

XClient::~XClient() { xcb_disconnect(m_conn->c); }

void XClient::send_delete_window(std::uint32_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = intern(m_conn->c, "WM_PROTOCOLS");
    event.data.data32[0] = intern(m_conn->c, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    std::array<char, 32> wire{};
    std::memcpy(wire.data(), &event, sizeof event);
    xcb_send_event(m_conn->c, 0, window, XCB_EVENT_MASK_NO_EVENT, wire.data());
    xcb_flush(m_conn->c);
}

std::uint32_t XClient::cover(Rect area) { return create(area, true); }

std::uint32_t XClient::create_managed(Rect area) { return create(area, false); }

std::uint32_t XClient::create(Rect area, bool override_redirect) {
    xcb_window_t id = xcb_generate_id(m_conn->c);
    std::array<std::uint32_t, 2> values{m_conn->screen->black_pixel, override_redirect ? 1U : 0U};
    xcb_create_window(m_conn->c, XCB_COPY_FROM_PARENT, id, m_conn->screen->root,
                      static_cast<std::int16_t>(area.left), static_cast<std::int16_t>(area.top),
                      static_cast<std::uint16_t>(area.width),
                      static_cast<std::uint16_t>(area.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT,
                      values.data());
    xcb_map_window(m_conn->c, id);
    focus();  // a round trip: the window is up when this returns
    return id;
}

void XClient::destroy(std::uint32_t window) {
    xcb_destroy_window(m_conn->c, window);
    focus();
}

bool XClient::viewable(std::uint32_t window) {
    Reply reply{xcb_get_window_attributes_reply(
        m_conn->c, xcb_get_window_attributes(m_conn->c, window), nullptr)};
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::uint32_t XClient::root() const { return m_conn->screen->root; }

std::uint32_t XClient::focus() {
    Reply reply{xcb_get_input_focus_reply(m_conn->c, xcb_get_input_focus(m_conn->c), nullptr)};
    return reply ? reply->focus : 0;
}

std::vector<std::uint32_t> XClient::cardinals(std::uint32_t window, const std::string& property) {
    auto cookie = xcb_get_property(m_conn->c, 0, window, intern(m_conn->c, property.c_str()),
                                   XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20);
    Reply reply{xcb_get_property_reply(m_conn->c, cookie, nullptr)};
    if (!reply || reply->format != 32) return {};
    auto* values = static_cast<std::uint32_t*>(xcb_get_property_value(reply.ptr));
    return {values, values + xcb_get_property_value_length(reply.ptr) / 4};
}

Rect XClient::geometry(std::uint32_t window) {
    Reply size{xcb_get_geometry_reply(m_conn->c, xcb_get_geometry(m_conn->c, window), nullptr)};
    Reply origin{xcb_translate_coordinates_reply(
        m_conn->c, xcb_translate_coordinates(m_conn->c, window, m_conn->screen->root, 0, 0),
        nullptr)};
    if (!size || !origin) return {};
    return {origin->dst_x, origin->dst_y, size->width, size->height};
}

void XClient::set_font_path(const std::string& folder) {
    std::string entry(1, static_cast<char>(folder.size()));  // a STR: its length, then the bytes
    entry += folder;
    auto cookie =
        xcb_set_font_path_checked(m_conn->c, 1, reinterpret_cast<xcb_str_t*>(entry.data()));
    if (xcb_generic_error_t* error = xcb_request_check(m_conn->c, cookie)) {
        std::free(error);
        throw std::runtime_error("the server refused the font path " + folder);
    }
}

}  // namespace osyl::test
