#pragma once

#include "platform/events.h"
#include "platform/geometry.h"
#include "platform/picture.h"

#include <functional>
#include <memory>
#include <string>

namespace osyl {

class Window;

// What an element tells the window that holds it.
class ElementHolder {
public:
    // The element shows other pixels in the area (client coordinates): that part of the
    // window is composed again.
    virtual void invalidate(Rect area) = 0;
    // The element moved, resized, showed or hid; the area covers where it was and is.
    virtual void element_bounds_changed(Rect area) = 0;

protected:
    ~ElementHolder() = default;
};

// What a mouse handler receives: the position is relative to the element.
struct MouseEvent {
    Button button = Button::Left;
    Modifiers modifiers = 0;
    Point position;
    bool double_click = false;
};

using MouseHandler = std::function<void(const MouseEvent&)>;

// A picture at a position in its window, sized to the picture.
class Element {
public:
    using SharedPicture = std::shared_ptr<const Picture>;
    // Paints every pixel of the element's rectangle at the picture's top-left corner, and
    // nothing beyond it: the picture may be a larger window canvas.
    using Drawing = std::function<void(Picture&)>;

    Element(ElementHolder& window, std::string name, Point position, Picture picture);
    // One picture held by many elements, such as the blank glyph cells.
    Element(ElementHolder& window, std::string name, Point position, SharedPicture picture);
    // A large picture that only a shown window needs: painted when the window is composed
    // and dropped when the window hides. A background (at the window's origin) is never
    // kept: painted straight onto the canvas, or afresh for a part of the window. Its
    // pixels are paid for here, so composing never fails on the budget.
    Element(ElementHolder& window, std::string name, Rect bounds, Drawing drawing);
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    const std::string& name() const { return m_name; }
    int left() const { return m_bounds.left; }
    int top() const { return m_bounds.top; }
    Rect bounds() const { return m_bounds; }
    bool visible() const { return m_visible; }
    const Picture& picture() const;

    void set_left(int left);
    void set_top(int top);
    // An empty picture keeps the element's size; any other resizes it.
    void set_picture(Picture picture);

    MouseHandler on_mouse_down;
    MouseHandler on_mouse_up;
    MouseHandler on_mouse_move;

private:
    friend class Window;
    void moved(Rect bounds);
    void drop_drawing();
    bool is_background() const { return m_drawing && m_bounds.left == 0 && m_bounds.top == 0; }
    const Drawing& drawing() const { return m_drawing; }
    // The drawing in a picture of the element's size, not kept.
    Picture painted() const;
    // Window auto-size moves every element at once, without re-fitting after each one.
    void shift(int dx, int dy) {
        m_bounds.left += dx;
        m_bounds.top += dy;
    }

    ElementHolder& m_window;
    std::string m_name;
    Rect m_bounds;
    bool m_visible = true;
    mutable SharedPicture m_picture;
    Drawing m_drawing;
    PixelBudgetShare m_drawing_share;
};

}  // namespace osyl
