// The panel's constant geometry: where every control lies, where the keys
// sit inside a key bed, and which areas of the artwork are sprites.
#pragma once

#include "platform/win32.h"

#include <cstdint>

constexpr int PANEL_WIDTH = 800;
constexpr int PANEL_HEIGHT = 250;

// Positions in PanelLayout. The three top buttons and each section's eight
// buttons are consecutive, and the section's eight are in ParamId order.
enum PanelLayoutIndex {
    LAYOUT_LCD_0,
    LAYOUT_LCD_1,
    LAYOUT_KEY_BED_0,
    LAYOUT_KEY_BED_1,
    LAYOUT_TOP_BUTTONS,
    LAYOUT_SECTION_0_BUTTONS = LAYOUT_TOP_BUTTONS + 3,
    LAYOUT_SECTION_1_BUTTONS = LAYOUT_SECTION_0_BUTTONS + 8,
    LAYOUT_KNOB = LAYOUT_SECTION_1_BUTTONS + 8,
    LAYOUT_WHEEL,
    LAYOUT_COUNT
};
static_assert(LAYOUT_COUNT == 25, "the panel has 25 rectangles");

enum TopButton { TOP_BUTTON_RESET, TOP_BUTTON_SETUP, TOP_BUTTON_OFF, TOP_BUTTON_COUNT };

extern const RECT PanelLayout[LAYOUT_COUNT];

inline const RECT* const topButtonRects = PanelLayout + LAYOUT_TOP_BUTTONS;
inline const RECT& knobRect = PanelLayout[LAYOUT_KNOB];
inline const RECT& wheelRect = PanelLayout[LAYOUT_WHEEL];

// The rectangles of section s (0 left, 1 right): its display, its key bed,
// and its eight buttons by ParamId.
inline const RECT& sectionDisplayRect(int32_t s) { return PanelLayout[LAYOUT_LCD_0 + s]; }
inline const RECT& sectionKeyBedRect(int32_t s) { return PanelLayout[LAYOUT_KEY_BED_0 + s]; }
inline const RECT& sectionButtonRect(int32_t s, int32_t paramId) {
    return PanelLayout[(s == 0 ? LAYOUT_SECTION_0_BUTTONS : LAYOUT_SECTION_1_BUTTONS) + paramId];
}

// What a point of the panel hits. The displays, the key beds and the bare
// panel are no control: a press there moves the window.
enum class Control { NONE, SECTION_BUTTON, RESET, SETUP, OFF, KNOB, WHEEL };

struct Hit {
    Control control = Control::NONE;
    int32_t section = 0; // of a section button
    int32_t param = 0;   // a section button's ParamId
};

Hit hitTest(POINT point);

// Keys inside a key bed, index 0 the lowest: x offset from the bed's left
// edge, and which keys are black.
constexpr int WHITE_KEY_WIDTH = 34;
constexpr int BLACK_KEY_WIDTH = 21;
constexpr int BLACK_KEY_HEIGHT = 90;
extern const int KEY_OFFSETS[17];
bool isBlackKey(int keyIndex);
// The key of a key bed drawn under a point, a black key over the white one
// beside it; false off the keys.
bool keyAt(POINT point, int32_t* bed, int32_t* key);

// Source areas in the artwork that painting copies.
struct SpriteArea {
    int left;
    int top;
    int width;
    int height;
};
constexpr SpriteArea WHITE_KEY_RELEASED = {39, 124, WHITE_KEY_WIDTH, PANEL_HEIGHT - 124};
constexpr SpriteArea WHITE_KEY_PRESSED = {73, 124, WHITE_KEY_WIDTH, PANEL_HEIGHT - 124};
constexpr SpriteArea BLACK_KEY_RELEASED = {107, 124, BLACK_KEY_WIDTH, BLACK_KEY_HEIGHT};
constexpr SpriteArea BLACK_KEY_PRESSED = {141, 124, BLACK_KEY_WIDTH, BLACK_KEY_HEIGHT};
constexpr SpriteArea LAMP_LIT = {316, 82, 15, 15};
constexpr SpriteArea LAMP_UNLIT = {477, 82, 15, 15};
constexpr SpriteArea KNOB_DOT = {376, 67, 18, 17};
constexpr SpriteArea KNOB_FACE = {401, 54, 18, 17};
