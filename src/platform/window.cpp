#include "platform/window.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace osyl {

Window::Window(WindowHost& host, const WindowSpec& spec, AutoSize auto_size)
    : m_host(host),
      m_name(spec.name),
      m_bounds(spec.bounds),
      m_auto_size(auto_size),
      m_canvas(spec.bounds.width, spec.bounds.height) {
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
    element_bounds_changed();
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

Picture Window::compose() const {
    Picture canvas = Picture::canvas(m_canvas, button_face);
    Rect whole{0, 0, canvas.width(), canvas.height()};
    for (const auto& element : m_elements) {
        if (!element->visible()) continue;
        // A background painted in place needs no picture of its own.
        if (element->drawing() && element->bounds() == whole)
            element->drawing()(canvas);
        else
            canvas.blit(element->picture(), element->left(), element->top());
    }
    return canvas;
}

void Window::element_bounds_changed() {
    invalidate();
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
    if (left != 0 || top != 0)
        for (auto& element : m_elements) element->shift(-left, -top);
    Rect fitted{m_bounds.left, m_bounds.top, right - left, bottom - top};
    if (fitted != m_bounds) set_bounds(fitted);
}

}  // namespace osyl
