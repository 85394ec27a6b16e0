#include "input/keyboard_input.h"

#include "input/pitch_bend.h"
#include "model/chords.h"
#include "model/keyboard_sections.h"
#include "model/midi_messages.h"

namespace {

const int32_t BEND_NUDGE = 1500;
const unsigned char TAB_CHARACTER = 9;

enum class KeyTransition { Press, Release, Repeat };

uint8_t scanCodeOf(LPARAM keyData) { return (uint8_t)((keyData >> 16) & 0xFF); }

// Bit 30: the key was already down; bit 31: it is going up. The message
// identifier is not needed: these two bits tell every case apart.
KeyTransition transitionOf(LPARAM keyData) {
    const bool wasDown = (keyData >> 30 & 1) != 0;
    const bool goingUp = (keyData >> 31 & 1) != 0;
    if (wasDown && goingUp) return KeyTransition::Release;
    if (!wasDown && !goingUp) return KeyTransition::Press;
    return KeyTransition::Repeat;
}

void pressKey(const KeyLocation& key) {
    KeyboardSection& section = sections[key.section];
    if (paramValue(section, ParamId::Chord) != 0) {
        pressChord(key.section, key.key);
        return;
    }
    section.keyDown[key.key] = 1;
    sendNote(section, key.key, 1);
}

void releaseKey(const KeyLocation& key) {
    KeyboardSection& section = sections[key.section];
    if (paramValue(section, ParamId::Chord) != 0) {
        releaseChord(key.section, key.key);
        return;
    }
    section.keyDown[key.key] = 0;
    sendNote(section, key.key, 0);
}

// Page Up and Page Down act on every message of theirs, release and
// auto-repeat included: each one pushes the bend target further.
void onUnmatchedKey(HWND window, WPARAM virtualKey) {
    if (virtualKey == VK_PRIOR) nudgeBend(window, +BEND_NUDGE);
    if (virtualKey == VK_NEXT) nudgeBend(window, -BEND_NUDGE);
}

} // namespace

bool findKey(uint8_t scanCode, KeyLocation* found) {
    bool matched = false;
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        for (int32_t k = 0; k < KEY_COUNT; ++k) {
            // A key whose note would pass 127 is no key at all.
            if (sections[s].scanCodes[k] != scanCode || !keyInRange(s, k)) continue;
            *found = KeyLocation{s, k};
            matched = true;
            break;
        }
    }
    return matched;
}

void onKeyMessage(HWND window, WPARAM virtualKey, LPARAM keyData) {
    KeyLocation key{};
    if (!findKey(scanCodeOf(keyData), &key)) {
        onUnmatchedKey(window, virtualKey);
        return;
    }
    switch (transitionOf(keyData)) {
    case KeyTransition::Press: pressKey(key); break;
    case KeyTransition::Release: releaseKey(key); break;
    case KeyTransition::Repeat: break; // the note is already sounding
    }
    InvalidateRect(window, &sections[key.section].keyboardRect, FALSE);
}

void onCharMessage(HWND window, unsigned char character) {
    // By character, not key: whatever the system turns into a tab switches.
    if (character == TAB_CHARACTER) switchActiveSection(window);
}
