#include "model/key_map.h"

#include <algorithm>
#include <iterator>

KeyMap g_keyMap;

const uint8_t SECTION_SCAN_CODES[SECTION_COUNT][KEY_COUNT] = {
    // Q 2 W 3 E R 5 T 6 Y 7 U I 9 O 0 P
    {0x10, 0x03, 0x11, 0x04, 0x12, 0x13, 0x06, 0x14, 0x07, 0x15, 0x08, 0x16, 0x17, 0x0A, 0x18, 0x0B, 0x19},
    // Z S X D C V G B H N J M , L . ; /
    {0x2C, 0x1F, 0x2D, 0x20, 0x2E, 0x2F, 0x22, 0x30, 0x23, 0x31, 0x24, 0x32, 0x33, 0x26, 0x34, 0x27, 0x35},
};

namespace {

const uint8_t RESERVED_SCAN_CODES[] = {
    0x0F,                   // Tab
    0x39,                   // Space
    0x01,                   // Esc
    0x48, 0x4B, 0x4D, 0x50, // the arrows, and the keypad's
    0x49, 0x51,             // Page Up and Page Down, and the keypad's
    0x1D,                   // Ctrl, left and right
    0x3A,                   // Caps Lock
    0x43,                   // F9, which records
};

// Split and Single as they play know a key by its scan code alone, so the
// keypad's slash plays as the slash does; copied into the player's own
// layout, the extended keys are left to be named there.
void builtIn(int32_t layout, KeyBinding (&keys)[KEY_ID_COUNT], bool extendedToo) {
    std::fill(std::begin(keys), std::end(keys), KeyBinding{});
    const int32_t upper = layout == KEYS_SINGLE ? SINGLE_UPPER_ROW : 0;
    const uint8_t upperTarget = layout == KEYS_SINGLE ? PLAYS_ACTIVE : PLAYS_LEFT;
    const uint8_t lowerTarget = layout == KEYS_SINGLE ? PLAYS_ACTIVE : PLAYS_RIGHT;
    for (int32_t k = 0; k < KEY_COUNT; ++k) {
        keys[SECTION_SCAN_CODES[0][k]] = KeyBinding{upperTarget, (uint8_t)(upper + k)};
        keys[SECTION_SCAN_CODES[1][k]] = KeyBinding{lowerTarget, (uint8_t)k};
    }
    if (!extendedToo) return;
    std::copy(std::begin(keys), std::begin(keys) + KEY_EXTENDED, std::begin(keys) + KEY_EXTENDED);
}

bool plays(const KeyBinding& binding) { return binding.target != PLAYS_NOTHING; }
bool playsOneSection(const KeyBinding& binding) {
    return binding.target == PLAYS_LEFT || binding.target == PLAYS_RIGHT;
}

// The beds of the player's own layout show the two sections, unless every
// key plays the active one.
int32_t viewOf(const KeyBinding (&keys)[KEY_ID_COUNT]) {
    const bool single = std::any_of(std::begin(keys), std::end(keys), plays) &&
                        std::none_of(std::begin(keys), std::end(keys), playsOneSection);
    return single ? KEYS_SINGLE : KEYS_SPLIT;
}

} // namespace

void useKeyLayout(int32_t layout) {
    g_keyMap.layout = layout;
    KeyBinding(&custom)[KEY_ID_COUNT] = g_keyMap.custom;
    if (layout == KEYS_CUSTOM && std::none_of(std::begin(custom), std::end(custom), plays)) {
        builtIn(KEYS_SPLIT, custom, false);
    }
    if (layout == KEYS_CUSTOM) {
        std::copy(std::begin(custom), std::end(custom), g_keyMap.playing);
    } else {
        builtIn(layout, g_keyMap.playing, true);
    }
    g_keyMap.view = layout == KEYS_CUSTOM ? viewOf(g_keyMap.playing) : layout;
}

bool reservedKey(int32_t keyId) {
    const uint8_t scanCode = (uint8_t)(keyId & 0xFF);
    return std::find(std::begin(RESERVED_SCAN_CODES), std::end(RESERVED_SCAN_CODES), scanCode) !=
           std::end(RESERVED_SCAN_CODES);
}

BedView bedView(int32_t bed) {
    if (g_keyMap.view == KEYS_SINGLE) return BedView{PLAYS_ACTIVE, bed * SINGLE_UPPER_ROW};
    return BedView{bed == 0 ? PLAYS_LEFT : PLAYS_RIGHT, 0};
}

uint32_t keyBedsOf(int32_t s) { return g_keyMap.view == KEYS_SINGLE ? AREA_KEYS_0 | AREA_KEYS_1 : keysArea(s); }

PanelChange markKeyToLearn(int32_t bed, int32_t k) {
    g_keyMap.markedBed = bed;
    g_keyMap.markedKey = k;
    return repaint(AREA_WHOLE_PANEL); // the labels above the beds too
}

PanelChange cancelLearning() {
    if (!learningKey()) return PanelChange{};
    g_keyMap.markedBed = NO_KEY;
    return repaint(AREA_WHOLE_PANEL);
}

bool learnKey(int32_t keyId, PanelChange* change) {
    if (reservedKey(keyId)) return false;
    const BedView view = bedView(g_keyMap.markedBed);
    if (g_keyMap.layout != KEYS_CUSTOM) builtIn(g_keyMap.layout, g_keyMap.custom, false);
    g_keyMap.custom[keyId] = KeyBinding{view.target, (uint8_t)(view.first + g_keyMap.markedKey)};
    *change = cancelLearning();
    useKeyLayout(KEYS_CUSTOM);
    markSettingsChanged();
    return true;
}
