#include "model/key_table.h"

namespace {

const int32_t E0 = KEY_EXTENDED;
const uint8_t NONE = 0;

// The two rows of the Split layout; in Single the lower row plays from the
// base note and the upper one an octave above it.
constexpr KeyInfo upper(int32_t keyId, const char* name, uint8_t k) {
    return KeyInfo{keyId, name, SplitRow::UPPER, k, (uint8_t)(12 + k), KeyRole::NOTE};
}
constexpr KeyInfo lower(int32_t keyId, const char* name, uint8_t k) {
    return KeyInfo{keyId, name, SplitRow::LOWER, k, k, KeyRole::NOTE};
}
// A key that plays only in a layout of the player's own.
constexpr KeyInfo spare(int32_t keyId, const char* name) {
    return KeyInfo{keyId, name, SplitRow::NONE, NONE, NONE, KeyRole::NOTE};
}
constexpr KeyInfo reserved(int32_t keyId, const char* name, KeyRole role) {
    return KeyInfo{keyId, name, SplitRow::NONE, NONE, NONE, role};
}

} // namespace

// In scan-code order. The names are the settings file's: kept as they are,
// a file written once reads the same forever.
constexpr KeyInfo KEY_TABLE[] = {
    reserved(0x01, "Escape", KeyRole::RESET),
    spare(0x02, "1"),
    upper(0x03, "2", 1),
    upper(0x04, "3", 3),
    spare(0x05, "4"),
    upper(0x06, "5", 6),
    upper(0x07, "6", 8),
    upper(0x08, "7", 10),
    spare(0x09, "8"),
    upper(0x0A, "9", 13),
    upper(0x0B, "0", 15),
    spare(0x0C, "Minus"),
    spare(0x0D, "Equal"),
    spare(0x0E, "Backspace"),
    reserved(0x0F, "Tab", KeyRole::SWITCH),
    upper(0x10, "Q", 0),
    upper(0x11, "W", 2),
    upper(0x12, "E", 4),
    upper(0x13, "R", 5),
    upper(0x14, "T", 7),
    upper(0x15, "Y", 9),
    upper(0x16, "U", 11),
    upper(0x17, "I", 12),
    upper(0x18, "O", 14),
    upper(0x19, "P", 16),
    spare(0x1A, "BracketLeft"),
    spare(0x1B, "BracketRight"),
    spare(0x1C, "Enter"),
    reserved(0x1D, "ControlLeft", KeyRole::MODIFIER),
    spare(0x1E, "A"),
    lower(0x1F, "S", 1),
    lower(0x20, "D", 3),
    spare(0x21, "F"),
    lower(0x22, "G", 6),
    lower(0x23, "H", 8),
    lower(0x24, "J", 10),
    spare(0x25, "K"),
    lower(0x26, "L", 13),
    lower(0x27, "Semicolon", 15),
    spare(0x28, "Quote"),
    spare(0x29, "Backquote"),
    reserved(0x2A, "ShiftLeft", KeyRole::MODIFIER),
    spare(0x2B, "Backslash"),
    lower(0x2C, "Z", 0),
    lower(0x2D, "X", 2),
    lower(0x2E, "C", 4),
    lower(0x2F, "V", 5),
    lower(0x30, "B", 7),
    lower(0x31, "N", 9),
    lower(0x32, "M", 11),
    lower(0x33, "Comma", 12),
    lower(0x34, "Period", 14),
    lower(0x35, "Slash", 16),
    reserved(0x36, "ShiftRight", KeyRole::MODIFIER),
    reserved(0x38, "AltLeft", KeyRole::MODIFIER),
    reserved(0x39, "Space", KeyRole::PEDAL),
    reserved(0x3A, "CapsLock", KeyRole::LOCK),
    spare(0x3B, "F1"),
    spare(0x3C, "F2"),
    spare(0x3D, "F3"),
    spare(0x3E, "F4"),
    spare(0x3F, "F5"),
    spare(0x40, "F6"),
    spare(0x41, "F7"),
    spare(0x42, "F8"),
    reserved(0x43, "F9", KeyRole::TAKE),
    spare(0x44, "F10"),
    reserved(0x45, nullptr, KeyRole::LOCK), // Num Lock as some keyboards send it
    // Arms and disarms playing behind other windows.
    reserved(0x46, "ScrollLock", KeyRole::LOCK),
    // The keypad's keys that act as the arrows and Page Up and Down with
    // Num Lock off.
    reserved(0x48, nullptr, KeyRole::STEP),
    reserved(0x49, nullptr, KeyRole::BEND),
    reserved(0x4B, nullptr, KeyRole::STEP),
    reserved(0x4D, nullptr, KeyRole::STEP),
    reserved(0x50, nullptr, KeyRole::STEP),
    reserved(0x51, nullptr, KeyRole::BEND),
    spare(0x56, "IntlBackslash"),
    spare(0x57, "F11"),
    spare(0x58, "F12"),
    reserved(E0 | 0x1D, "ControlRight", KeyRole::MODIFIER),
    // The keypad's slash plays as the slash does; its name stays ScanE035.
    KeyInfo{E0 | 0x35, nullptr, SplitRow::LOWER, 16, 16, KeyRole::NOTE},
    reserved(E0 | 0x38, "AltRight", KeyRole::MODIFIER),
    reserved(E0 | 0x45, "NumLock", KeyRole::LOCK),
    reserved(E0 | 0x47, "Home", KeyRole::WHEEL),
    reserved(E0 | 0x48, "ArrowUp", KeyRole::STEP),
    reserved(E0 | 0x49, "PageUp", KeyRole::BEND),
    reserved(E0 | 0x4B, "ArrowLeft", KeyRole::STEP),
    reserved(E0 | 0x4D, "ArrowRight", KeyRole::STEP),
    spare(E0 | 0x4F, "End"),
    reserved(E0 | 0x50, "ArrowDown", KeyRole::STEP),
    reserved(E0 | 0x51, "PageDown", KeyRole::BEND),
    spare(E0 | 0x52, "Insert"),
    spare(E0 | 0x53, "Delete"),
    reserved(E0 | 0x5B, "MetaLeft", KeyRole::MODIFIER),
    reserved(E0 | 0x5C, "MetaRight", KeyRole::MODIFIER),
    reserved(E0 | 0x5D, "ContextMenu", KeyRole::MODIFIER),
};
const size_t KEY_TABLE_SIZE = sizeof KEY_TABLE / sizeof KEY_TABLE[0];

namespace {

// By key id, its place in the table plus one; 0: not there. Made by the
// compiler, which also refuses a key named twice.
struct KeyIndex {
    uint8_t entry[KEY_ID_COUNT];
    bool keyTwice;
};

constexpr KeyIndex indexKeys() {
    KeyIndex index = {};
    for (size_t i = 0; i < sizeof KEY_TABLE / sizeof KEY_TABLE[0]; ++i) {
        uint8_t& entry = index.entry[KEY_TABLE[i].keyId];
        index.keyTwice = index.keyTwice || entry != 0;
        entry = (uint8_t)(i + 1);
    }
    return index;
}

constexpr KeyIndex KEY_INDEX = indexKeys();
static_assert(!KEY_INDEX.keyTwice, "each key once in the table");
static_assert(sizeof KEY_TABLE / sizeof KEY_TABLE[0] < 256, "a table place fits a byte");

} // namespace

const KeyInfo* keyInfo(int32_t keyId) {
    const uint8_t entry = KEY_INDEX.entry[keyId & (KEY_ID_COUNT - 1)];
    return entry ? &KEY_TABLE[entry - 1] : nullptr;
}

bool reservedKey(int32_t keyId) {
    // Scan code 0: a key the system could not place, which no file can name.
    if ((keyId & 0xFF) == 0) return true;
    const KeyInfo* key = keyInfo(keyId);
    return key && key->role != KeyRole::NOTE;
}
