// The three popup menus that the PATCH, CHAN. and OCTAVE buttons open: the
// patch names, the channels and the octaves.
#pragma once

#include "platform/win32.h"

#include <cstdint>

struct PopupMenus {
    HMENU PatchMenu = nullptr;
    HMENU ChannelMenu = nullptr;
    HMENU OctaveMenu = nullptr;
};

extern PopupMenus g_menus;

// The command id of each menu's first item, which stands for the value 0;
// the window's command table owns them.
struct MenuItemIds {
    UINT patch;
    UINT channel;
    UINT octave;
};

// The patch menu from the patch-name table, and the other two.
void buildPopupMenus(const MenuItemIds& firstIds);
void destroyPopupMenus();

// Opens the menu of section s's parameter button under it, if the button
// has one. Returns when the menu has closed; the choice arrives afterwards
// as the window's WM_COMMAND.
void openParameterMenu(HWND window, int32_t s, int32_t param);
