#include "platform/element.h"

#include <utility>

namespace osyl {

Element::Element(ElementHolder& window, std::string name, Point position, Picture picture)
    : Element(window, std::move(name), position,
              std::make_shared<const Picture>(std::move(picture))) {}

Element::Element(ElementHolder& window, std::string name, Point position, SharedPicture picture)
    : m_window(window),
      m_name(std::move(name)),
      m_bounds{position.x, position.y, picture->width(), picture->height()},
      m_picture(std::move(picture)) {}

Element::Element(ElementHolder& window, std::string name, Rect bounds, Drawing drawing)
    : m_window(window),
      m_name(std::move(name)),
      m_bounds(bounds),
      m_drawing(std::move(drawing)),
      m_drawing_share(bounds.width, bounds.height) {}

const Picture& Element::picture() const {
    if (!m_picture) m_picture = std::make_shared<const Picture>(painted());
    return *m_picture;
}

Picture Element::painted() const {
    Picture picture = Picture::canvas(m_drawing_share, 0);
    m_drawing(picture);
    return picture;
}

void Element::drop_drawing() {
    if (m_drawing) m_picture.reset();
}

void Element::set_left(int left) {
    if (left == m_bounds.left) return;
    moved({left, m_bounds.top, m_bounds.width, m_bounds.height});
}

void Element::set_top(int top) {
    if (top == m_bounds.top) return;
    moved({m_bounds.left, top, m_bounds.width, m_bounds.height});
}

// A picture that would grow the window past what the pixel budget allows is refused, and
// the element keeps its old picture and size. The same pixels again change nothing.
void Element::set_picture(Picture picture) {
    Rect bounds = m_bounds;
    if (!picture.empty()) {
        bounds.width = picture.width();
        bounds.height = picture.height();
    }
    if (!m_drawing && m_picture && bounds == m_bounds && *m_picture == picture) return;
    SharedPicture old_picture =
        std::exchange(m_picture, std::make_shared<const Picture>(std::move(picture)));
    if (bounds != m_bounds) {
        Rect old_bounds = std::exchange(m_bounds, bounds);
        try {
            m_window.element_bounds_changed(old_bounds.united(bounds));
        } catch (...) {
            m_picture = std::move(old_picture);
            m_bounds = old_bounds;
            throw;
        }
    }
    m_window.invalidate(m_bounds);
    // A picture set by hand stays.
    m_drawing = nullptr;
    m_drawing_share = PixelBudgetShare();
}

void Element::moved(Rect bounds) {
    Rect old_bounds = std::exchange(m_bounds, bounds);
    m_window.element_bounds_changed(old_bounds.united(bounds));
}

}  // namespace osyl
