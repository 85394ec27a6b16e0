// Playing from the computer keyboard: two rows of keys by scan code, Page Up
// and Page Down for a bend gesture, Tab for the other section.
#pragma once

#include "platform/win32.h"

#include <cstdint>

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
