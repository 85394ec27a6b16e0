// The labels above the key beds: for each key shown, the name of the
// computer key that plays it, as the user's keyboard layout names it.
#pragma once

#include "platform/win32.h"

#include <cstdint>

constexpr unsigned KEY_NAME_SIZE = 16;

// The system's names of the computer keys, asked for once each.
struct KeyNames {
    bool known[0x200] = {};
    char names[0x200][KEY_NAME_SIZE] = {};
};

extern KeyNames g_keyNames;

constexpr int32_t KEY_LABEL_COUNT = 17; // the keys of a bed

// The label of each key of each bed: the key that plays it ("" when none
// does), or "?" for the key marked to learn.
void keyLabels(const char* (&labels)[2][KEY_LABEL_COUNT]);

// The keyboard layout changed: the names are asked for anew, the labels
// repainted.
void forgetKeyNames(HWND window);
