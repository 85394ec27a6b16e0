// Playing from the computer keyboard: the keys of the key map by where they
// sit, Shift for a soft touch, Page Up and Page Down for a bend gesture,
// Home for the modulation, Tab for the other section, Space for the sustain
// pedal, the arrows and Esc for the panel; a key taken for the key marked on
// a bed; and letting go of it all when the window may miss the releases.
#pragma once

#include "platform/win32.h"

#include <cstdint>

// Ctrl, Shift and Caps Lock as the key messages the window saw left them,
// read afresh from the system only when the window gets the keys back.
struct ModifierKeys {
    bool leftControl = false; // held
    bool rightControl = false;
    bool capsLock = false; // toggled on
    // Held, either of them: a soft touch.
    bool leftShift = false;
    bool rightShift = false;
};

extern ModifierKeys g_modifiers;

// WM_KEYDOWN and WM_KEYUP alike: press, release and auto-repeat are told
// apart by the bits of keyData alone.
void onKeyMessage(HWND window, WPARAM virtualKey, LPARAM keyData);
// WM_SYSKEYDOWN and WM_SYSKEYUP (a key with Alt held, F10): a key that
// plays plays, and Ctrl and Caps Lock still count. False when the message
// is the system's to handle (Alt+F4 closes, whatever F4 plays).
bool onSystemKeyMessage(HWND window, WPARAM virtualKey, LPARAM keyData);

// The focus goes elsewhere, or a menu's modal loop takes the keyboard: the
// releases will go elsewhere, so every held note, the pedal, the bend
// gesture and the modulation end now. Nothing is sent when nothing is held.
void onKeysLost(HWND window);
// The keys are back: nothing is replayed, Ctrl, Shift and Caps Lock are
// read anew, as they may have changed meanwhile.
void onKeysBack();
