#include "display/panel_layout.h"

const RECT PanelLayout[LAYOUT_COUNT] = {
    {32, 34, 302, 76},    // display of section 0
    {499, 34, 769, 76},   // display of section 1
    {39, 124, 378, 247},  // key bed of section 0
    {423, 124, 764, 247}, // key bed of section 1
    {636, 22, 679, 28},   // RESET
    {682, 22, 725, 28},   // SETUP
    {728, 22, 771, 28},   // OFF
    {31, 82, 74, 88},     // section 0: PATCH
    {77, 82, 120, 88},    //   CHAN.
    {123, 82, 166, 88},   //   OCTAVE
    {169, 82, 212, 88},   //   VOLUME
    {215, 82, 258, 88},   //   TRANS.
    {261, 82, 304, 88},   //   CHORD
    {308, 34, 332, 54},   //   +
    {308, 57, 332, 77},   //   -
    {498, 82, 541, 88},   // section 1: PATCH
    {544, 82, 587, 88},   //   CHAN.
    {590, 82, 633, 88},   //   OCTAVE
    {636, 82, 679, 88},   //   VOLUME
    {682, 82, 725, 88},   //   TRANS.
    {728, 82, 771, 88},   //   CHORD
    {470, 34, 494, 54},   //   +
    {470, 57, 494, 77},   //   -
    {354, 6, 446, 102},   // knob
    {390, 127, 411, 242}, // pitch-bend wheel
};

const int KEY_OFFSETS[17] = {0, 24, 34, 58, 68, 102, 126, 136, 160, 170, 194, 204, 238, 262, 272, 296, 306};

namespace {

const bool IS_BLACK_KEY[17] = {false, true, false, true,  false, false, true, false, true,
                               false, true, false, false, true,  false, true, false};

} // namespace

namespace {

const int SECTION_BUTTON_COUNT = LAYOUT_SECTION_1_BUTTONS - LAYOUT_SECTION_0_BUTTONS;

bool contains(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

Hit hitOf(int index) {
    Hit hit;
    if (index >= LAYOUT_SECTION_0_BUTTONS && index < LAYOUT_KNOB) {
        hit.control = Control::SECTION_BUTTON;
        hit.section = (index - LAYOUT_SECTION_0_BUTTONS) / SECTION_BUTTON_COUNT;
        hit.param = (index - LAYOUT_SECTION_0_BUTTONS) % SECTION_BUTTON_COUNT;
        return hit;
    }
    switch (index) {
    case LAYOUT_TOP_BUTTONS + TOP_BUTTON_RESET: hit.control = Control::RESET; break;
    case LAYOUT_TOP_BUTTONS + TOP_BUTTON_SETUP: hit.control = Control::SETUP; break;
    case LAYOUT_TOP_BUTTONS + TOP_BUTTON_OFF: hit.control = Control::OFF; break;
    case LAYOUT_KNOB: hit.control = Control::KNOB; break;
    case LAYOUT_WHEEL: hit.control = Control::WHEEL; break;
    default: break; // a display or a key bed
    }
    return hit;
}

} // namespace

Hit hitTest(POINT point) {
    // No two rectangles overlap: the first that holds the point is the one.
    for (int i = 0; i < LAYOUT_COUNT; ++i) {
        if (contains(PanelLayout[i], point)) return hitOf(i);
    }
    return Hit{};
}

bool isBlackKey(int keyIndex) { return keyIndex >= 0 && keyIndex < 17 && IS_BLACK_KEY[keyIndex]; }

bool keyAt(POINT point, int32_t* bed, int32_t* key) {
    for (int32_t b = 0; b < 2; ++b) {
        const RECT& keys = sectionKeyBedRect(b);
        const LONG x = point.x - keys.left;
        if (point.y < keys.top || point.y >= PANEL_HEIGHT || x < 0) continue;
        const bool onBlackRow = point.y < keys.top + BLACK_KEY_HEIGHT;
        for (int pass = onBlackRow ? 0 : 1; pass < 2; ++pass) {
            for (int32_t k = 0; k < 17; ++k) {
                const bool black = pass == 0;
                const int width = black ? BLACK_KEY_WIDTH : WHITE_KEY_WIDTH;
                if (isBlackKey(k) != black || x < KEY_OFFSETS[k] || x >= KEY_OFFSETS[k] + width) continue;
                *bed = b;
                *key = k;
                return true;
            }
        }
    }
    return false;
}
