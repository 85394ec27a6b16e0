#include "display/knob_indicator.h"

#include "display/panel_layout.h"
#include "model/parameters.h"

#include <cmath>

namespace {

const double PI = 3.14159265358979323846;

struct Spot {
    double x;
    double y;
};

// The knob turns about its pivot; the artwork draws the dot's centre at
// (385, 75), which fixes both the radius and the ends of the sweep.
const Spot PIVOT = {401, 54};
const Spot DOT_CENTRE = {385, 75};
// The sprite is placed by its top-left corner, in whole pixels.
const Spot SPRITE_HALF = {KNOB_DOT.width / 2, KNOB_DOT.height / 2};

} // namespace

POINT knobIndicatorPosition(uint32_t value, uint32_t count) {
    const double dx = DOT_CENTRE.x - PIVOT.x;
    const double dy = PIVOT.y - DOT_CENTRE.y; // counted upwards
    // Bearing of the artwork's dot, clockwise from straight up: lower left.
    const double a = std::atan2(dx, dy) * 180.0 * (1.0 / PI);
    const double sweep = 2.0 * std::fabs(a);
    const double start = a >= 0 ? a : 360.0 - std::fabs(a);
    double theta = start + (sweep / count) * value;
    if (theta >= 360.0) theta -= 360.0;
    const double r = std::trunc(std::sqrt(dx * dx + dy * dy));
    const double radians = theta * PI / 180.0;
    const double x = (PIVOT.x - SPRITE_HALF.x) + std::trunc(r * std::sin(radians));
    const double y = PIVOT.y - std::trunc(r * std::cos(radians)) - SPRITE_HALF.y;
    return POINT{(LONG)x, (LONG)y};
}

POINT knobIndicatorPosition() {
    const int32_t count = selectedCount();
    const int32_t scale = g_model.knobOnDragScale ? count - 1 : count;
    return knobIndicatorPosition((uint32_t)selectedValue(), (uint32_t)scale);
}
