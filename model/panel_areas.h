// Which areas of the panel an operation of the model changed, for the
// window side to repaint. The panel is always drawn from the model, so the
// areas are all the window side needs to know.
#pragma once

#include <cstdint>

// The areas are repainted in this order, whatever order they were named in.
enum PanelArea : uint32_t {
    AREA_WHOLE_PANEL = 1u << 0,
    AREA_KNOB = 1u << 1,
    AREA_DISPLAY_0 = 1u << 2,
    AREA_DISPLAY_1 = 1u << 3,
    AREA_KEYS_0 = 1u << 4,
    AREA_KEYS_1 = 1u << 5,
    AREA_WHEEL = 1u << 6,
};

inline uint32_t displayArea(int32_t s) { return AREA_DISPLAY_0 << s; }
inline uint32_t keysArea(int32_t s) { return AREA_KEYS_0 << s; }

struct PanelChange {
    uint32_t areas = 0;
};

inline PanelChange repaint(uint32_t areas) {
    PanelChange change;
    change.areas = areas;
    return change;
}

// What two operations changed together.
inline PanelChange operator|(PanelChange a, PanelChange b) { return repaint(a.areas | b.areas); }
