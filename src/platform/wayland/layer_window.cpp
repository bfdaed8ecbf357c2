#include "platform/wayland/layer_window.h"

#include <utility>

namespace osyl::wayland {

namespace {

// The top layer keeps the bar reachable: with the bottom one, any window covering the
// bottom edge (every maximised one, since the bar reserves no area) would hide it for good.
constexpr auto layer = ZWLR_LAYER_SHELL_V1_LAYER_TOP;
constexpr std::uint32_t anchor =
    ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT;

}  // namespace

LayerWindow::LayerWindow(const Display& display, std::deque<Event>& events, WindowId id,
                         WindowRole role)
    : m_display(display), m_events(events), m_id(id), m_role(role), m_pool(display.shm()) {}

Rect LayerWindow::actual() const {
    return {m_bounds.left, m_display.output_height() - m_margin_bottom - m_bounds.height,
            m_bounds.width, m_bounds.height};
}

void LayerWindow::place(Rect bounds, int margin_bottom) {
    if (bounds == m_bounds && margin_bottom == m_margin_bottom) return;
    m_bounds = bounds;
    m_margin_bottom = margin_bottom;
    if (!shown()) return;
    apply_placement();
    wl_surface_commit(surface());
}

// Set in one place: size, anchor, margins, no reserved area, keyboard.
void LayerWindow::apply_placement() {
    zwlr_layer_surface_v1_set_size(m_layer.get(), static_cast<std::uint32_t>(m_bounds.width),
                                   static_cast<std::uint32_t>(m_bounds.height));
    zwlr_layer_surface_v1_set_anchor(m_layer.get(), anchor);
    zwlr_layer_surface_v1_set_margin(m_layer.get(), 0, 0, m_margin_bottom, m_bounds.left);
    zwlr_layer_surface_v1_set_exclusive_zone(m_layer.get(), 0);
    zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer.get(), keyboard_mode());
}

// The menu asks for the keyboard on demand (version 4), as an X11 window takes it when
// clicked, and exclusively while it asks to be the active window; version 3 knows only all
// or nothing, so the menu then takes it while shown. The bar has no key to act on and never
// takes the keyboard from other programs.
std::uint32_t LayerWindow::keyboard_mode() const {
    if (!m_keyboard || m_role == WindowRole::Main)
        return ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE;
    if (m_asking || m_display.layer_shell_version() < 4)
        return ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE;
    return ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND;
}

void LayerWindow::apply_keyboard_mode() {
    if (!shown()) return;
    zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer.get(), keyboard_mode());
    wl_surface_commit(surface());
}

void LayerWindow::request_keyboard() {
    if (m_role == WindowRole::Main || m_asking) return;
    m_asking = true;
    apply_keyboard_mode();
}

void LayerWindow::keyboard_arrived() {
    if (!std::exchange(m_asking, false)) return;
    apply_keyboard_mode();
}

// Nothing is drawn before the first configure is acknowledged.
void LayerWindow::show() {
    if (shown()) return;
    m_configured = false;
    m_surface.reset(wl_compositor_create_surface(m_display.compositor()));
    m_layer.reset(zwlr_layer_shell_v1_get_layer_surface(m_display.layer_shell(), surface(), nullptr,
                                                        layer, "osyl"));
    static const zwlr_layer_surface_v1_listener listener{configure, closed};
    zwlr_layer_surface_v1_add_listener(m_layer.get(), &listener, this);
    apply_placement();
    wl_surface_commit(surface());
}

void LayerWindow::hide() {
    m_layer.reset();
    m_surface.reset();
    m_configured = false;
    m_asking = false;
}

void LayerWindow::present(Picture pixels) {
    m_picture = std::move(pixels);
    if (m_configured) commit_picture();
}

void LayerWindow::set_keyboard(bool wanted) {
    if (wanted == m_keyboard) return;
    m_keyboard = wanted;
    apply_keyboard_mode();
}

// A buffer gets the whole picture (the one drawn last may still be the compositor's), but
// only the area is damaged, so only that is drawn again.
void LayerWindow::update(Rect area, const Picture& pixels) {
    m_picture.blit(pixels, area.left, area.top);
    if (m_configured) commit_picture(area);
}

void LayerWindow::commit_picture() {
    commit_picture({0, 0, m_picture.width(), m_picture.height()});
}

void LayerWindow::commit_picture(Rect area) {
    if (m_picture.empty()) return;
    wl_surface_attach(surface(), m_pool.draw(m_picture), 0, 0);
    wl_surface_damage(surface(), area.left, area.top, area.width, area.height);
    wl_surface_commit(surface());
}

void LayerWindow::configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                            std::uint32_t /*width*/, std::uint32_t /*height*/) {
    auto& self = *static_cast<LayerWindow*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    self.m_configured = true;
    self.commit_picture();
}

// The compositor took the surface away (its output went): the bar's end ends the program,
// the menu is merely hidden.
void LayerWindow::closed(void* data, zwlr_layer_surface_v1* /*layer*/) {
    auto& self = *static_cast<LayerWindow*>(data);
    self.hide();
    if (self.m_role == WindowRole::Main) {
        self.m_events.push_back(QuitRequest{});
    } else {
        self.m_events.push_back(VisibilityChange{self.m_id, false});
    }
}

}  // namespace osyl::wayland
