// Playing from the computer keyboard: two rows of keys by scan code, Page Up
// and Page Down for a bend gesture, Tab for the other section, Space for the
// sustain pedal, the arrows and Esc for the panel; and letting go of it all
// when the window may miss the releases.
#pragma once

#include "platform/win32.h"

#include <cstdint>

// Ctrl and Caps Lock as the key messages the window saw left them, read
// afresh from the system only when the window gets the keys back.
struct ModifierKeys {
    bool leftControl = false; // held
    bool rightControl = false;
    bool capsLock = false; // toggled on
};

extern ModifierKeys g_modifiers;

struct KeyLocation {
    int32_t section;
    int32_t key;
};

// The section and key index a scan code plays, if any key in range has it.
bool findKey(uint8_t scanCode, KeyLocation* found);

// WM_KEYDOWN and WM_KEYUP alike: press, release and auto-repeat are told
// apart by the bits of keyData alone.
void onKeyMessage(HWND window, WPARAM virtualKey, LPARAM keyData);
void onCharMessage(HWND window, unsigned char character);
// WM_SYSKEYDOWN and WM_SYSKEYUP: with Alt held, Ctrl and Caps Lock still count.
void onSystemKeyMessage(WPARAM virtualKey, LPARAM keyData);

// The focus goes elsewhere, or a menu's modal loop takes the keyboard: the
// releases will go elsewhere, so every held note, the pedal and the bend
// gesture end now. Nothing is sent when nothing is held.
void onKeysLost(HWND window);
// The keys are back: nothing is replayed, Ctrl and Caps Lock are read anew,
// as they may have changed meanwhile.
void onKeysBack();
