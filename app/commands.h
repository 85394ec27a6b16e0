// The main window's command ids, all of them, and their dispatch. The
// commands are the popup menus' items: each menu is a range of ids whose
// first stands for the value 0.
#pragma once

#include "model/patch_names.h"
#include "model/performance.h"
#include "platform/win32.h"

enum Command : UINT {
    CMD_PATCH_ITEMS = 1000,
    CMD_CHANNEL_ITEMS = 2000,
    CMD_OCTAVE_ITEMS = 3000,
    CMD_END = CMD_OCTAVE_ITEMS + OCTAVE_COUNT,
};
static_assert(CMD_PATCH_ITEMS + MAX_PATCH_NAMES <= CMD_CHANNEL_ITEMS, "patch items stay below channel items");
static_assert(CMD_CHANNEL_ITEMS + CHANNEL_COUNT <= CMD_OCTAVE_ITEMS, "channel items stay below octave items");
static_assert(CMD_END <= 0xFFFF, "command ids fit the low word");

// WM_COMMAND: a menu's choice for the parameter its button selected.
void onCommand(HWND window, WPARAM wParam);
