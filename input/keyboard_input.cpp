#include "input/keyboard_input.h"

#include "devices/midi_device.h"
#include "display/repaint.h"
#include "input/modulation_key.h"
#include "input/pitch_bend.h"
#include "model/chords.h"
#include "model/key_map.h"
#include "model/key_table.h"
#include "model/keys.h"
#include "model/parameters.h"
#include "takes/takes.h"

ModifierKeys g_modifiers;

namespace {

const int32_t BEND_NUDGE = 1500;
const int32_t RIGHT_SHIFT_SCAN_CODE = 0x36;

enum class KeyTransition { PRESS, RELEASE, REPEAT };

// The scan code, bits 16 to 23, and the extended flag, bit 24.
int32_t keyIdOf(LPARAM keyData) { return (int32_t)((keyData >> 16) & (KEY_ID_COUNT - 1)); }

// Bit 30: the key was already down; bit 31: it is going up. The message
// identifier is not needed: these two bits tell every case apart.
KeyTransition transitionOf(LPARAM keyData) {
    const bool wasDown = (keyData >> 30 & 1) != 0;
    const bool goingUp = (keyData >> 31 & 1) != 0;
    if (wasDown && goingUp) return KeyTransition::RELEASE;
    if (!wasDown && !goingUp) return KeyTransition::PRESS;
    return KeyTransition::REPEAT;
}

PanelChange pressKey(int32_t keyId, int32_t s, int32_t offset) {
    g_model.softTouch = g_modifiers.leftShift || g_modifiers.rightShift;
    if (!chordModeOn(s)) return pressNote(keyId, s, offset);
    const bool minor = g_modifiers.leftControl || g_modifiers.rightControl;
    return pressChord(keyId, s, offset, minor, g_modifiers.capsLock);
}

// The section a key plays now, if it plays at all at its section's octave.
bool playingSection(int32_t keyId, int32_t* s) {
    const KeyBinding& binding = bindingOf(keyId);
    if (binding.target == PLAYS_NOTHING) return false;
    *s = sectionOf(binding.target);
    return keyInRange(*s, binding.offset);
}

// With a key of a bed marked, the first press is the key to play it; a key
// taken plays at once. Esc lets the mark go. A key with a meaning of its
// own only beeps: its repeats do nothing, and its release only ends what it
// held (the pedal, Ctrl). True when the message is used up here.
bool takeMarkedKey(HWND window, WPARAM virtualKey, int32_t keyId, KeyTransition transition) {
    if (!reservedKey(keyId)) {
        PanelChange change;
        if (transition != KeyTransition::PRESS || !learnKey(keyId, &change)) return false;
        showPanelChange(window, change);
        return false;
    }
    if (transition == KeyTransition::RELEASE) return virtualKey == VK_PRIOR || virtualKey == VK_NEXT;
    if (transition == KeyTransition::REPEAT) return true;
    if (virtualKey == VK_ESCAPE) {
        showPanelChange(window, cancelLearning());
    } else {
        MessageBeep(MB_OK);
    }
    return true;
}

// Kept from the key messages rather than asked for at each chord: under
// Wine each GetKeyState is a round trip to the server.
bool noteModifierKey(WPARAM virtualKey, LPARAM keyData, KeyTransition transition) {
    if (virtualKey == VK_CONTROL) {
        const bool right = (keyData >> 24 & 1) != 0; // the extended flag
        (right ? g_modifiers.rightControl : g_modifiers.leftControl) = transition != KeyTransition::RELEASE;
        return true;
    }
    if (virtualKey == VK_SHIFT) {
        // Both Shift keys come as VK_SHIFT: the scan code tells them apart.
        const bool right = (keyData >> 16 & 0xFF) == RIGHT_SHIFT_SCAN_CODE;
        (right ? g_modifiers.rightShift : g_modifiers.leftShift) = transition != KeyTransition::RELEASE;
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
// Space, Esc and F9 on the press alone; Home on its press and its release.
// The keypad's arrows with Num Lock off come as the same virtual keys.
void onUnmatchedKey(HWND window, WPARAM virtualKey, LPARAM keyData, KeyTransition transition) {
    if (noteModifierKey(virtualKey, keyData, transition)) return;
    if (virtualKey == VK_PRIOR) nudgeBend(window, +BEND_NUDGE);
    if (virtualKey == VK_NEXT) nudgeBend(window, -BEND_NUDGE);
    const bool press = transition == KeyTransition::PRESS;
    const bool pressOrRepeat = transition != KeyTransition::RELEASE;
    const int32_t s = g_model.activeSection;
    switch (virtualKey) {
    // The Tab key, not its character: Ctrl+I types a tab too.
    case VK_TAB:
        if (pressOrRepeat) showPanelChange(window, switchActiveSection());
        return;
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
    case VK_HOME:
        if (press) pressModulationKey(window);
        if (transition == KeyTransition::RELEASE) releaseModulationKey(window);
        return;
    default: return;
    }
}

} // namespace

void onKeyMessage(HWND window, WPARAM virtualKey, LPARAM keyData) {
    const int32_t keyId = keyIdOf(keyData);
    const KeyTransition transition = transitionOf(keyData);
    if (learningKey() && takeMarkedKey(window, virtualKey, keyId, transition)) {
        noteModifierKey(virtualKey, keyData, transition);
        return;
    }
    // A key raised out of range or played otherwise since its press still
    // owns its notes, and its release must end them, or latch its chord.
    if (transition == KeyTransition::RELEASE && keySounds(keyId)) {
        showPanelChange(window, letGoOfKey(keyId));
        return;
    }
    int32_t s = 0;
    if (!playingSection(keyId, &s)) {
        onUnmatchedKey(window, virtualKey, keyData, transition);
        return;
    }
    // An auto-repeat, or a release of a key that sounds nothing, changes
    // nothing, yet its key bed is repainted too.
    const PanelChange change =
        transition == KeyTransition::PRESS ? pressKey(keyId, s, bindingOf(keyId).offset) : repaint(keyBedsOf(s));
    showPanelChange(window, change);
}

bool onSystemKeyMessage(HWND window, WPARAM virtualKey, LPARAM keyData) {
    const int32_t keyId = keyIdOf(keyData);
    int32_t s = 0;
    const bool plays = learningKey() || keySounds(keyId) || playingSection(keyId, &s);
    if (!plays || virtualKey == VK_F4) {
        // A release ends what its press began, Alt or not: Space let go
        // with Alt held lifts the pedal.
        if (transitionOf(keyData) == KeyTransition::RELEASE) {
            onKeyMessage(window, virtualKey, keyData);
        } else {
            noteModifierKey(virtualKey, keyData, transitionOf(keyData));
        }
        return false;
    }
    onKeyMessage(window, virtualKey, keyData);
    return true;
}

void onKeysLost(HWND window) {
    showPanelChange(window, releaseAllKeys());
    stopBendGesture(window);
    stopModulation(window);
}

void onKeysBack() {
    // What happened while another window, or a menu, had the keys.
    g_modifiers.leftControl = (GetKeyState(VK_LCONTROL) & 0x80) != 0;
    g_modifiers.rightControl = (GetKeyState(VK_RCONTROL) & 0x80) != 0;
    g_modifiers.capsLock = (GetKeyState(VK_CAPITAL) & 0x01) != 0;
    g_modifiers.leftShift = (GetKeyState(VK_LSHIFT) & 0x80) != 0;
    g_modifiers.rightShift = (GetKeyState(VK_RSHIFT) & 0x80) != 0;
}
