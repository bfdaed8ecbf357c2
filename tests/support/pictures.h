#pragma once

#include "platform/geometry.h"
#include "platform/picture.h"

#include <string>
#include <vector>

namespace osyl::test {

// Where the bar is on the screen.
inline constexpr Rect bar_area{0, 577, 800, 24};
// Clock digits c1..c4 and the colon, in bar coordinates: masked where the time differs.
inline constexpr Rect clock_digits{64, 6, 51, 12};

// Decodes an XWD dump of a 24- or 32-bit ZPixmap; throws std::runtime_error when the
// data is not one.
Picture parse_xwd(const std::string& bytes);

Picture crop(const Picture& picture, Rect area);
// Says how the pictures differ outside the masked rectangles; empty when they agree.
std::string differences(const Picture& actual, const Picture& expected,
                        const std::vector<Rect>& masked = {});

}  // namespace osyl::test
