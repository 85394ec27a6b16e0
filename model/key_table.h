// What the program knows of each computer key it has a word for: its key
// id, its name in the settings file (its legend on a US keyboard), the note
// it plays in the Split and Single layouts, and whether it has a meaning of
// its own, and which. The key map, the settings file, the key labels and
// the tests all read this one table.
#pragma once

#include "model/key_ids.h"

#include <cstddef>
#include <cstdint>

// What a key does when it plays no note. A key with any role but NOTE is
// reserved: it never plays, it cannot be learned, the settings file skips it.
enum class KeyRole : uint8_t {
    NOTE,     // free to play a note
    SWITCH,   // Tab: the other section
    PEDAL,    // Space: the sustain pedal
    RESET,    // Esc
    STEP,     // the arrows: select and step a setting
    BEND,     // Page Up and Page Down
    MODIFIER, // Ctrl, Alt, Shift (a soft touch), the Windows keys, the menu key
    LOCK,     // Caps Lock (the chord fold), Num Lock and Scroll Lock (playing behind other windows)
    TAKE,     // F9
    WHEEL,    // Home: the modulation wheel
};

// The section a key of the Split layout plays: the upper rows the left,
// the lower rows the right.
enum class SplitRow : uint8_t { NONE, UPPER, LOWER };

struct KeyInfo {
    int32_t keyId;
    const char* name; // null: written as ScanXX (ScanE0XX), as any key without a name
    SplitRow row;
    uint8_t splitOffset;  // above the section's base note, in Split
    uint8_t singleOffset; // above the active section's base note, in Single
    KeyRole role;
};

extern const KeyInfo KEY_TABLE[];
extern const size_t KEY_TABLE_SIZE;

// The table's entry for a key; null for a key it does not name.
const KeyInfo* keyInfo(int32_t keyId);

// A key with a meaning of its own, or one the system gives no scan code:
// it never plays a note and cannot be laid out.
bool reservedKey(int32_t keyId);
