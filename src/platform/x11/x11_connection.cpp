#include "platform/x11/x11_connection.h"

#include "platform/errors.h"
#include "platform/x11/window_name.h"

#include <poll.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace osyl::x11 {

namespace {

constexpr std::array<const char*, static_cast<std::size_t>(Atom::Count)> atom_names{
#define OSYL_ATOM_NAME(name, text) text,
    OSYL_X11_ATOMS(OSYL_ATOM_NAME)
#undef OSYL_ATOM_NAME
};

// The core protocol's error names, by code.
constexpr std::array<const char*, 18> error_names{
    "",          "BadRequest", "BadValue",    "BadWindow",   "BadPixmap", "BadAtom",
    "BadCursor", "BadFont",    "BadMatch",    "BadDrawable", "BadAccess", "BadAlloc",
    "BadColor",  "BadGC",      "BadIDChoice", "BadName",     "BadLength", "BadImplementation"};

std::string display_name() {
    const char* value = std::getenv("DISPLAY");
    if (value == nullptr || *value == '\0') return {};
    return value;
}

std::string quoted(const std::string& display) {
    return display.empty() ? "(DISPLAY is not set)" : "\"" + display + "\"";
}

struct Visual {
    const xcb_visualtype_t* type = nullptr;
    std::uint8_t depth = 0;
};

Visual root_visual(const xcb_screen_t& screen) {
    for (auto d = xcb_screen_allowed_depths_iterator(&screen); d.rem != 0; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem != 0; xcb_visualtype_next(&v))
            if (v.data->visual_id == screen.root_visual) return {v.data, d.data->depth};
    }
    return {};
}

const xcb_format_t* find_format(const xcb_setup_t& setup, std::uint8_t depth) {
    for (auto f = xcb_setup_pixmap_formats_iterator(&setup); f.rem != 0; xcb_format_next(&f)) {
        if (f.data->depth == depth) return f.data;
    }
    return nullptr;
}

bool usable(const Visual& visual, const xcb_setup_t& setup) {
    const xcb_format_t* format = find_format(setup, visual.depth);
    return visual.type != nullptr && visual.type->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
           (visual.depth == 24 || visual.depth == 32) && format != nullptr &&
           (format->bits_per_pixel == 24 || format->bits_per_pixel == 32);
}

// The root visual when it will do, saving a colormap; otherwise a 24-bit TrueColor visual,
// then a 32-bit one, of those the screen offers.
Visual best_visual(const xcb_screen_t& screen, const xcb_setup_t& setup) {
    Visual root = root_visual(screen);
    if (usable(root, setup)) return root;
    for (std::uint8_t depth : {24, 32}) {
        for (auto d = xcb_screen_allowed_depths_iterator(&screen); d.rem != 0; xcb_depth_next(&d)) {
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem != 0; xcb_visualtype_next(&v)) {
                Visual candidate{v.data, d.data->depth};
                if (candidate.depth == depth && usable(candidate, setup)) return candidate;
            }
        }
    }
    return {};
}

std::string class_name(const xcb_visualtype_t* visual) {
    constexpr std::array<const char*, 6> names{"StaticGray",  "GrayScale", "StaticColor",
                                               "PseudoColor", "TrueColor", "DirectColor"};
    return visual && visual->_class < names.size() ? names[visual->_class] : "unknown";
}

}  // namespace

void write_x_error(const xcb_generic_error_t& error) {
    const char* name = error.error_code < error_names.size() && error.error_code != 0
                           ? error_names[error.error_code]
                           : "extension error";
    std::fprintf(stderr, "osyl: X error %u (%s) for request %u.%u on resource 0x%x\n",
                 unsigned{error.error_code}, name, unsigned{error.major_code},
                 unsigned{error.minor_code}, unsigned{error.resource_id});
}

void write_lost_display() { std::fputs("osyl: lost the connection to the X display\n", stderr); }

Connection::Connection(int interrupt_fd) : m_interrupt_fd(interrupt_fd) {
    std::string display = display_name();
    int screen_number = 0;
    m_conn.reset(xcb_connect(display.empty() ? nullptr : display.c_str(), &screen_number));
    if (display.empty() || xcb_connection_has_error(get()) != 0) {
        throw DisplayError("Cannot open X display " + quoted(display));
    }
    const xcb_setup_t* setup = xcb_get_setup(get());
    auto roots = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screen_number && roots.rem != 0; ++i) xcb_screen_next(&roots);
    if (roots.rem == 0) throw DisplayError("Cannot open X display " + quoted(display));
    m_screen = roots.data;
    choose_visual(display);
    // The core limit (256 KiB) holds the largest window's picture in one request; asking
    // for the big-requests extension would cost a round trip before the first frame.
    m_max_request_bytes = std::size_t{setup->maximum_request_length} * 4;
    intern_atoms();
}

std::int64_t Connection::steady_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool Connection::wait_readable(std::int64_t deadline_ms) const {
    std::array<pollfd, 2> fds{{{fd(), POLLIN, 0}, {m_interrupt_fd, POLLIN, 0}}};
    std::int64_t left = deadline_ms - steady_ms();
    if (left <= 0 || has_error()) return false;
    // A signal that interrupts the poll is in the pipe by now, so it ends the wait too.
    if (poll(fds.data(), fds.size(), static_cast<int>(left)) <= 0) return false;
    return (fds[1].revents & POLLIN) == 0 && (fds[0].revents & POLLNVAL) == 0;
}

void* Connection::wait_for_reply(unsigned int sequence, xcb_generic_error_t** error) const {
    flush();
    std::int64_t deadline = steady_ms() + answer_wait_ms;
    for (;;) {
        void* reply = nullptr;
        xcb_generic_error_t* failure = nullptr;
        if (xcb_poll_for_reply(get(), sequence, &reply, &failure) != 0) {
            if (error)
                *error = failure;
            else
                std::free(failure);
            return reply;
        }
        if (!wait_readable(deadline)) {
            xcb_discard_reply(get(), sequence);
            return nullptr;
        }
    }
}

void Connection::choose_visual(const std::string& display) {
    const xcb_setup_t& setup = *xcb_get_setup(get());
    Visual chosen = best_visual(*m_screen, setup);
    if (chosen.type == nullptr) {
        Visual root = root_visual(*m_screen);
        throw DisplayError("The X display " + quoted(display) +
                           " has no 24- or 32-bit TrueColor visual; its root visual is " +
                           std::to_string(root.depth) + "-bit " + class_name(root.type));
    }
    const xcb_format_t* format = find_format(setup, chosen.depth);
    m_visual = chosen.type->visual_id;
    m_depth = chosen.depth;
    m_colormap = m_screen->default_colormap;
    if (m_visual != m_screen->root_visual) {
        // A window of another visual than its parent's needs a colormap of that visual.
        m_own_colormap = XOwned<xcb_free_colormap>(get(), generate_id());
        xcb_create_colormap(get(), XCB_COLORMAP_ALLOC_NONE, m_own_colormap.id(), root(), m_visual);
        m_colormap = m_own_colormap.id();
    }
    m_format.bits_per_pixel = format->bits_per_pixel;
    m_format.scanline_pad = format->scanline_pad;
    m_format.msb_first = setup.image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    m_format.red_mask = chosen.type->red_mask;
    m_format.green_mask = chosen.type->green_mask;
    m_format.blue_mask = chosen.type->blue_mask;
    if (chosen.depth == 32) {
        m_format.opaque_bits = ~(m_format.red_mask | m_format.green_mask | m_format.blue_mask);
    }
}

XOwned<xcb_free_gc> Connection::create_gc(std::uint32_t mask, const std::uint32_t* values) const {
    // A GC serves drawables of the depth it was made on, which need not be the root's.
    XOwned<xcb_free_pixmap> sample(get(), generate_id());
    xcb_create_pixmap(get(), m_depth, sample.id(), root(), 1, 1);
    XOwned<xcb_free_gc> gc(get(), generate_id());
    xcb_create_gc(get(), gc.id(), sample.id(), mask, values);
    return gc;
}

void Connection::intern_atoms() {
    std::array<xcb_intern_atom_cookie_t, atom_names.size()> cookies{};
    for (std::size_t i = 0; i < atom_names.size(); ++i) {
        cookies[i] = xcb_intern_atom(
            get(), 0, static_cast<std::uint16_t>(std::strlen(atom_names[i])), atom_names[i]);
    }
    for (std::size_t i = 0; i < atom_names.size(); ++i) {
        XReply<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(get(), cookies[i], nullptr)};
        if (!reply) throw DisplayError("The X display closed the connection");
        m_atoms[i] = reply->atom;
    }
}

void Connection::put_picture(xcb_drawable_t drawable, xcb_gcontext_t gc, const Picture& picture,
                             Point at) const {
    if (picture.empty()) return;
    std::size_t stride = row_bytes(m_format, picture.width());
    int band = rows_per_band(m_max_request_bytes, stride);
    // Usually the pixels go out as they are held, with no copy.
    bool as_held = same_as_held(m_format);
    for (int top = 0; top < picture.height(); top += band) {
        int rows = std::min(band, picture.height() - top);
        std::vector<std::uint8_t> packed;
        if (!as_held) packed = pack_rows(picture, top, rows, m_format);
        const auto* data = as_held
                               ? reinterpret_cast<const std::uint8_t*>(
                                     picture.pixels().data() + std::size_t(top) * picture.width())
                               : packed.data();
        xcb_put_image(get(), XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, gc,
                      static_cast<std::uint16_t>(picture.width()), static_cast<std::uint16_t>(rows),
                      static_cast<std::int16_t>(at.x), static_cast<std::int16_t>(at.y + top), 0,
                      m_depth, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(rows)),
                      data);
    }
}

void Connection::set_string(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                            const std::string& text) const {
    xcb_change_property(get(), XCB_PROP_MODE_REPLACE, window, property, type, 8,
                        static_cast<std::uint32_t>(text.size()), text.data());
}

void Connection::set_u32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                         std::span<const std::uint32_t> values) const {
    xcb_change_property(get(), XCB_PROP_MODE_REPLACE, window, property, type, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
}

void Connection::set_caption(xcb_window_t window, const std::string& caption) const {
    set_string(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, latin1_name(caption));
    set_string(window, atom(Atom::NetWmName), atom(Atom::Utf8String), valid_utf8(caption));
}

xcb_window_t Connection::wm_check_window(xcb_window_t on) const {
    auto cookie =
        xcb_get_property(get(), 0, on, atom(Atom::NetSupportingWmCheck), XCB_ATOM_WINDOW, 0, 1);
    auto reply = this->reply<xcb_get_property_reply_t>(cookie.sequence);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) return 0;
    return *static_cast<xcb_window_t*>(xcb_get_property_value(reply.get()));
}

// The check window names itself while the window manager lives; a stale property left by
// one that died points at a window that is gone.
xcb_window_t Connection::wm_check() const {
    xcb_window_t check = wm_check_window(root());
    return check != 0 && wm_check_window(check) == check ? check : 0;
}

bool Connection::wm_lists(Atom hint) const {
    auto cookie =
        xcb_get_property(get(), 0, root(), atom(Atom::NetSupported), XCB_ATOM_ATOM, 0, 4096);
    auto reply = this->reply<xcb_get_property_reply_t>(cookie.sequence);
    if (!reply || reply->format != 32) return false;
    auto* atoms = static_cast<xcb_atom_t*>(xcb_get_property_value(reply.get()));
    int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(atoms, atoms + count, atom(hint)) != atoms + count;
}

}  // namespace osyl::x11
