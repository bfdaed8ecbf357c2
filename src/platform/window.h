#pragma once

#include "platform/backend.h"
#include "platform/colours.h"
#include "platform/element.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace osyl {

class Desktop;
class Window;

enum class AutoSize { No, Yes };

// The desktop a window lives on, which stacks the windows and shows, hides and closes them.
class WindowHost {
public:
    virtual Backend& backend() const = 0;
    virtual void attach(Window& window) = 0;
    virtual void detach(Window& window) = 0;
    virtual void show(Window& window) = 0;
    virtual void hide(Window& window) = 0;
    virtual void close(Window& window) = 0;

protected:
    ~WindowHost() = default;
};

// A borderless top-level window holding an ordered list of elements; later elements lie
// above earlier ones.
class Window : public ElementHolder {
public:
    Window(WindowHost& host, const WindowSpec& spec, AutoSize auto_size);
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    Element& add(std::string name, Point position, Picture picture);
    Element& add(std::string name, Point position, Element::SharedPicture picture);
    Element& add(std::string name, Rect bounds, Element::Drawing drawing);
    Element* find(const std::string& name) const;
    // The topmost visible element under a point in client coordinates.
    Element* element_at(Point client) const;

    const std::string& name() const { return m_name; }
    WindowId id() const { return m_id; }
    Rect bounds() const { return m_bounds; }
    int left() const { return m_bounds.left; }
    int top() const { return m_bounds.top; }
    bool visible() const { return m_visible; }

    void set_left(int left);
    void set_top(int top);
    void show();
    void hide();
    // The close command: hides a secondary window, ends the program for the main one.
    void close();

    // The whole window, or only the part inside the area (client coordinates).
    Picture compose() const { return compose(client_area()); }
    Picture compose(Rect area) const;
    Rect client_area() const { return {0, 0, m_bounds.width, m_bounds.height}; }
    bool dirty() const { return !m_damage.empty(); }
    // What changed since the window was last presented, in client coordinates.
    Rect damage() const { return m_damage; }
    void invalidate() { m_damage = client_area(); }
    void invalidate(Rect area) override {
        m_damage = m_damage.united(area.intersected(client_area()));
    }
    void mark_presented() { m_damage = {}; }
    // Frees what only a shown window needs; composing draws it again.
    void drop_drawings();
    void element_bounds_changed(Rect area) override;

    // Handlers of the window itself.
    std::function<void()> on_show;
    std::function<void(int key_code, Modifiers modifiers)> on_key_down;
    MouseHandler on_mouse_move;

private:
    friend class Desktop;
    void fit_to_elements();
    // The index of the lowest element that can show in the area.
    std::ptrdiff_t first_showing(Rect area) const;
    Element& add(std::unique_ptr<Element> element);
    void set_bounds(Rect bounds);

    WindowHost& m_host;
    std::string m_name;
    Rect m_bounds;
    AutoSize m_auto_size;
    WindowId m_id = 0;
    bool m_visible = false;
    Rect m_damage;              // all of it until first presented, set by the constructor
    PixelBudgetShare m_canvas;  // paid for whenever the size changes, used when composing
    std::vector<std::unique_ptr<Element>> m_elements;
};

}  // namespace osyl
