#include "model/key_map.h"

#include "model/key_table.h"
#include "model/performance.h"

#include <algorithm>
#include <iterator>

KeyMap g_keyMap;

namespace {

// Split and Single as the key table lays them out.
void builtIn(int32_t layout, KeyBinding (&keys)[KEY_ID_COUNT]) {
    std::fill(std::begin(keys), std::end(keys), KeyBinding{});
    for (size_t i = 0; i < KEY_TABLE_SIZE; ++i) {
        const KeyInfo& key = KEY_TABLE[i];
        if (key.row == SplitRow::NONE) continue;
        if (layout == KEYS_SINGLE) {
            keys[key.keyId] = KeyBinding{PLAYS_ACTIVE, key.singleOffset};
        } else {
            keys[key.keyId] = KeyBinding{key.row == SplitRow::UPPER ? PLAYS_LEFT : PLAYS_RIGHT, key.splitOffset};
        }
    }
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
        builtIn(KEYS_SPLIT, custom);
    }
    if (layout == KEYS_CUSTOM) {
        std::copy(std::begin(custom), std::end(custom), g_keyMap.playing);
    } else {
        builtIn(layout, g_keyMap.playing);
    }
    g_keyMap.view = layout == KEYS_CUSTOM ? viewOf(g_keyMap.playing) : layout;
}

void restoreKeyMap(int32_t layout, const KeyBinding (&custom)[KEY_ID_COUNT]) {
    std::copy(std::begin(custom), std::end(custom), g_keyMap.custom);
    useKeyLayout(layout);
}

int32_t splitKeyId(int32_t s, int32_t k) {
    const SplitRow row = s == 0 ? SplitRow::UPPER : SplitRow::LOWER;
    for (size_t i = 0; i < KEY_TABLE_SIZE; ++i) {
        const KeyInfo& key = KEY_TABLE[i];
        if (key.row == row && key.splitOffset == k && !(key.keyId & KEY_EXTENDED)) return key.keyId;
    }
    return NO_KEY;
}

int32_t sectionOf(uint8_t target) {
    return target == PLAYS_LEFT ? 0 : target == PLAYS_RIGHT ? 1 : g_model.activeSection;
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
    if (g_keyMap.layout != KEYS_CUSTOM) builtIn(g_keyMap.layout, g_keyMap.custom);
    g_keyMap.custom[keyId] = KeyBinding{view.target, (uint8_t)(view.first + g_keyMap.markedKey)};
    *change = cancelLearning();
    useKeyLayout(KEYS_CUSTOM);
    markSettingsChanged();
    return true;
}
