// The patch-name file and the three popup menus (patch, channel, octave)
// that the PATCH, CHAN. and OCTAVE buttons open.
#pragma once

#include "platform/win32.h"

#include <cstdint>

// Commands of the main window. A parameter button sends CMD_PATCH_MENU +
// its ParamId; a menu item sends its base + the value it stands for.
constexpr UINT CMD_PATCH_MENU = 100;
constexpr UINT CMD_CHANNEL_MENU = 101;
constexpr UINT CMD_OCTAVE_MENU = 102;
constexpr UINT CMD_PATCH_BASE = 1000;
constexpr UINT CMD_CHANNEL_BASE = 2000;
constexpr UINT CMD_OCTAVE_BASE = 3000;

constexpr unsigned PATCH_NAME_SIZE = 128;

struct PopupMenus {
    HMENU PatchMenu = nullptr; // the names from the patch-name file
    HMENU ChannelMenu = nullptr;
    HMENU OctaveMenu = nullptr;
};

extern PopupMenus g_menus;

// Reads "gm_ins.nms" into PatchMenu and builds the other two menus. False
// when the file cannot be opened (the message has been shown).
bool buildPopupMenus(HWND window);
void destroyPopupMenus();

void onCommand(HWND window, WPARAM wParam);
void showParameterMenu(HWND window, HMENU menu);

// The display name of a program: its patch menu item in capitals, or empty.
void patchNameFor(int32_t program, char (&buffer)[PATCH_NAME_SIZE]);
