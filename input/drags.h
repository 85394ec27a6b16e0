// The drag under way with the left button held: the knob's or the wheel's,
// never both, as a press starts one or the other.
#pragma once

#include <cstdint>

struct Drags {
    bool knob = false;
    int32_t knobLastX = 0; // pointer x at the last knob step, in panel units
    bool wheel = false;
    int32_t wheelLastY = 0; // pointer y at the last wheel step
};

extern Drags g_drags;
