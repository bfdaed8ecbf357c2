#pragma once

#include "platform/element.h"

namespace osyl {

// Every push-button moves two pixels right and down while pressed. The handlers look at
// nothing but their own element: a release always moves back, whoever was pressed.
inline void press_down(Element& button) {
    button.set_left(button.left() + 2);
    button.set_top(button.top() + 2);
}

inline void press_up(Element& button) {
    button.set_left(button.left() - 2);
    button.set_top(button.top() - 2);
}

}  // namespace osyl
