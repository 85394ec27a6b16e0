#include "input/keyboard_input.h"

#include "devices/midi_device.h"
#include "display/repaint.h"
#include "input/pitch_bend.h"
#include "model/chords.h"
#include "model/keys.h"
#include "model/parameters.h"
#include "takes/takes.h"

ModifierKeys g_modifiers;

namespace {

const int32_t BEND_NUDGE = 1500;
const unsigned char TAB_CHARACTER = 9;

enum class KeyTransition { PRESS, RELEASE, REPEAT };

uint8_t scanCodeOf(LPARAM keyData) { return (uint8_t)((keyData >> 16) & 0xFF); }

// Bit 30: the key was already down; bit 31: it is going up. The message
// identifier is not needed: these two bits tell every case apart.
KeyTransition transitionOf(LPARAM keyData) {
    const bool wasDown = (keyData >> 30 & 1) != 0;
    const bool goingUp = (keyData >> 31 & 1) != 0;
    if (wasDown && goingUp) return KeyTransition::RELEASE;
    if (!wasDown && !goingUp) return KeyTransition::PRESS;
    return KeyTransition::REPEAT;
}

PanelChange pressKey(const KeyLocation& key) {
    if (!chordModeOn(key.section)) return pressNote(key.section, key.key);
    const bool minor = g_modifiers.leftControl || g_modifiers.rightControl;
    return pressChord(key.section, key.key, minor, g_modifiers.capsLock);
}

// Kept from the key messages rather than asked for at each chord: under
// Wine each GetKeyState is a round trip to the server.
bool noteModifierKey(WPARAM virtualKey, LPARAM keyData, KeyTransition transition) {
    if (virtualKey == VK_CONTROL) {
        const bool right = (keyData >> 24 & 1) != 0; // the extended flag
        (right ? g_modifiers.rightControl : g_modifiers.leftControl) = transition != KeyTransition::RELEASE;
        return true;
    }
    if (virtualKey == VK_CAPITAL) {
        if (transition == KeyTransition::PRESS) g_modifiers.capsLock = !g_modifiers.capsLock;
        return true;
    }
    return false;
}

// The keys that play no note act on the active section as the panel's
// controls do. Page Up and Page Down act on every message of theirs,
// release and auto-repeat included: each one pushes the bend target
// further. The arrows act on presses and repeats, so a held arrow scrolls;
// Space, Esc and F9 on the press alone. The keypad's arrows with Num Lock off
// come as the same virtual keys.
void onUnmatchedKey(HWND window, WPARAM virtualKey, LPARAM keyData, KeyTransition transition) {
    if (noteModifierKey(virtualKey, keyData, transition)) return;
    if (virtualKey == VK_PRIOR) nudgeBend(window, +BEND_NUDGE);
    if (virtualKey == VK_NEXT) nudgeBend(window, -BEND_NUDGE);
    const bool press = transition == KeyTransition::PRESS;
    const bool pressOrRepeat = transition != KeyTransition::RELEASE;
    const int32_t s = g_model.activeSection;
    switch (virtualKey) {
    case VK_LEFT:
        if (pressOrRepeat) showPanelChange(window, selectNeighbour(-1));
        return;
    case VK_RIGHT:
        if (pressOrRepeat) showPanelChange(window, selectNeighbour(+1));
        return;
    case VK_UP:
        if (pressOrRepeat) showPanelChange(window, stepSelectedUp(s));
        return;
    case VK_DOWN:
        if (pressOrRepeat) showPanelChange(window, stepSelectedDown(s));
        return;
    case VK_ESCAPE:
        if (press) resetAll(window);
        return;
    case VK_F9:
        if (press) showPanelChange(window, switchTake(window));
        return;
    case VK_SPACE:
        if (transition != KeyTransition::REPEAT) showPanelChange(window, press ? pressSustain() : releaseSustain());
        return;
    default: return;
    }
}

// The key of either section that has the scan code and passes the test.
// No scan code is in both rows, so at most one key has it.
bool findKeyPassing(uint8_t scanCode, bool (*test)(int32_t s, int32_t k), KeyLocation* found) {
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        for (int32_t k = 0; k < KEY_COUNT; ++k) {
            if (g_model.sections[s].scanCodes[k] != scanCode || !test(s, k)) continue;
            *found = KeyLocation{s, k};
            return true;
        }
    }
    return false;
}

} // namespace

// A key whose note would pass 127 is no key at all.
bool findKey(uint8_t scanCode, KeyLocation* found) { return findKeyPassing(scanCode, keyInRange, found); }

void onKeyMessage(HWND window, WPARAM virtualKey, LPARAM keyData) {
    const uint8_t scanCode = scanCodeOf(keyData);
    const KeyTransition transition = transitionOf(keyData);
    KeyLocation key{};
    // A key raised out of range while it was held still owns its note, and
    // its release must end it.
    const bool found =
        findKey(scanCode, &key) || (transition == KeyTransition::RELEASE && findKeyPassing(scanCode, keySounds, &key));
    if (!found) {
        onUnmatchedKey(window, virtualKey, keyData, transition);
        return;
    }
    // An auto-repeat changes nothing, yet its key bed is repainted too.
    PanelChange change = repaint(keysArea(key.section));
    switch (transition) {
    case KeyTransition::PRESS: change = pressKey(key); break;
    case KeyTransition::RELEASE: change = releaseKey(key.section, key.key); break;
    case KeyTransition::REPEAT: break; // the note is already sounding
    }
    showPanelChange(window, change);
}

void onCharMessage(HWND window, unsigned char character) {
    // By character, not key: whatever the system turns into a tab switches.
    if (character == TAB_CHARACTER) showPanelChange(window, switchActiveSection());
}

void onSystemKeyMessage(WPARAM virtualKey, LPARAM keyData) {
    noteModifierKey(virtualKey, keyData, transitionOf(keyData));
}

void onKeysLost(HWND window) {
    showPanelChange(window, releaseAllKeys());
    stopBendGesture(window);
}

void onKeysBack() {
    // What happened while another window, or a menu, had the keys.
    g_modifiers.leftControl = (GetKeyState(VK_LCONTROL) & 0x80) != 0;
    g_modifiers.rightControl = (GetKeyState(VK_RCONTROL) & 0x80) != 0;
    g_modifiers.capsLock = (GetKeyState(VK_CAPITAL) & 0x01) != 0;
}
