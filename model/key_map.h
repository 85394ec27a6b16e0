// Which computer key plays which note of which section: three layouts
// (Split, Single, and the player's own), what each key bed shows of them,
// and a key of a bed marked to be played by the next computer key pressed.
#pragma once

#include "model/key_ids.h"
#include "model/panel_areas.h"

#include <cstdint>

constexpr int32_t MAX_KEY_OFFSET = 127;
constexpr int32_t SINGLE_UPPER_ROW = 12; // in Single, Q an octave above Z

enum KeyLayout : int32_t { KEYS_SPLIT, KEYS_SINGLE, KEYS_CUSTOM, KEY_LAYOUT_COUNT };

// The section a key plays: the left, the right, or whichever is active
// when it is pressed.
enum KeyTarget : uint8_t { PLAYS_NOTHING, PLAYS_LEFT, PLAYS_RIGHT, PLAYS_ACTIVE };

struct KeyBinding {
    uint8_t target = PLAYS_NOTHING;
    uint8_t offset = 0; // semitones above the section's base note, 0..127
};

// What a key bed shows: a section's keys from an offset up.
struct BedView {
    uint8_t target;
    int32_t first;
};

struct KeyMap {
    int32_t layout = KEYS_SPLIT;
    // The beds as Split or Single show them; the Custom layout's is
    // Single's when every key it has plays the active section.
    int32_t view = KEYS_SPLIT;
    KeyBinding playing[KEY_ID_COUNT] = {}; // the layout in use, by key id
    KeyBinding custom[KEY_ID_COUNT] = {};  // the player's own, kept while another plays
    int32_t markedBed = NO_KEY;            // a bed's key marked to learn, and which
    int32_t markedKey = 0;
};

extern KeyMap g_keyMap;

// The layout keys play in from now on. Custom without a key of its own
// starts as Split.
void useKeyLayout(int32_t layout);
// The layout kept between runs, with the player's own keys it may play.
void restoreKeyMap(int32_t layout, const KeyBinding (&custom)[KEY_ID_COUNT]);

// The key that plays key k of section s in Split.
int32_t splitKeyId(int32_t s, int32_t k);

// Where a computer key plays, if anywhere.
inline const KeyBinding& bindingOf(int32_t keyId) { return g_keyMap.playing[keyId & (KEY_ID_COUNT - 1)]; }
// The section a key of that target plays now.
int32_t sectionOf(uint8_t target);

BedView bedView(int32_t bed);
// The key beds that show section s.
uint32_t keyBedsOf(int32_t s);

// A right click on key k of a bed marks it; any other click or Esc lets it go.
PanelChange markKeyToLearn(int32_t bed, int32_t k);
PanelChange cancelLearning();
inline bool learningKey() { return g_keyMap.markedBed != NO_KEY; }
// The marked key is played by keyId from now on: the layout becomes the
// player's own, starting from the one in use. False for a reserved key,
// and the mark stays.
bool learnKey(int32_t keyId, PanelChange* change);
