#include "platform/window.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <utility>

namespace osyl {

Window::Window(WindowHost& host, const WindowSpec& spec, AutoSize auto_size)
    : m_host(host),
      m_name(spec.name),
      m_bounds(spec.bounds),
      m_auto_size(auto_size),
      m_canvas(spec.bounds.width, spec.bounds.height) {
    invalidate();
    m_id = host.backend().create_window(spec);
    host.attach(*this);
}

Window::~Window() {
    m_host.detach(*this);
    m_host.backend().destroy_window(m_id);
}

Element& Window::add(std::string name, Point position, Picture picture) {
    return add(std::make_unique<Element>(*this, std::move(name), position, std::move(picture)));
}

Element& Window::add(std::string name, Point position, Element::SharedPicture picture) {
    return add(std::make_unique<Element>(*this, std::move(name), position, std::move(picture)));
}

Element& Window::add(std::string name, Rect bounds, Element::Drawing drawing) {
    return add(std::make_unique<Element>(*this, std::move(name), bounds, std::move(drawing)));
}

Element& Window::add(std::unique_ptr<Element> element) {
    m_elements.push_back(std::move(element));
    element_bounds_changed(m_elements.back()->bounds());
    return *m_elements.back();
}

void Window::drop_drawings() {
    for (auto& element : m_elements) element->drop_drawing();
}

Element* Window::find(const std::string& name) const {
    for (const auto& element : m_elements)
        if (element->name() == name) return element.get();
    return nullptr;
}

Element* Window::element_at(Point client) const {
    for (auto it = m_elements.rbegin(); it != m_elements.rend(); ++it)
        if ((*it)->visible() && (*it)->bounds().contains(client)) return it->get();
    return nullptr;
}

void Window::set_left(int left) {
    if (left != m_bounds.left) set_bounds({left, m_bounds.top, m_bounds.width, m_bounds.height});
}

void Window::set_top(int top) {
    if (top != m_bounds.top) set_bounds({m_bounds.left, top, m_bounds.width, m_bounds.height});
}

void Window::set_bounds(Rect bounds) {
    m_bounds = bounds;
    m_host.backend().set_bounds(m_id, bounds);
}

void Window::show() { m_host.show(*this); }
void Window::hide() { m_host.hide(*this); }
void Window::close() { m_host.close(*this); }

// Pictures are opaque: nothing below the topmost element that covers the area shows.
std::ptrdiff_t Window::first_showing(Rect area) const {
    for (auto it = m_elements.rbegin(); it != m_elements.rend(); ++it)
        if ((*it)->visible() && (*it)->bounds().contains(area))
            return std::distance(it, m_elements.rend()) - 1;
    return 0;
}

// A partial canvas costs what its area does; only the whole one is paid for by the window.
Picture Window::compose(Rect area) const {
    Rect whole = client_area();
    Picture canvas = area == whole ? Picture::canvas(m_canvas, button_face)
                                   : Picture(area.width, area.height, button_face);
    for (auto it = m_elements.begin() + first_showing(area); it != m_elements.end(); ++it) {
        const Element* element = it->get();
        if (!element->visible() || element->bounds().intersected(area).empty()) continue;
        // A background needs no picture of its own to be kept.
        if (element->is_background() && area == whole)
            element->drawing()(canvas);
        else if (element->is_background())
            canvas.blit(element->painted(), -area.left, -area.top);
        else
            canvas.blit(element->picture(), element->left() - area.left, element->top() - area.top);
    }
    return canvas;
}

void Window::element_bounds_changed(Rect area) {
    invalidate(area);
    if (m_auto_size == AutoSize::Yes) fit_to_elements();
}

// Moves the elements so that their bounding box starts at the client origin and makes the
// window exactly that big.
void Window::fit_to_elements() {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const auto& element : m_elements) {
        if (!element->visible()) continue;
        Rect r = element->bounds();
        left = std::min(left, r.left);
        top = std::min(top, r.top);
        right = std::max(right, r.right());
        bottom = std::max(bottom, r.bottom());
    }
    if (left > right) return;
    // The canvas is paid for first: if it does not fit, nothing has moved yet.
    m_canvas.resize(right - left, bottom - top);
    if (left != 0 || top != 0) {
        for (auto& element : m_elements) element->shift(-left, -top);
        invalidate();
    }
    Rect fitted{m_bounds.left, m_bounds.top, right - left, bottom - top};
    if (fitted == m_bounds) return;
    set_bounds(fitted);
    invalidate();
}

}  // namespace osyl
