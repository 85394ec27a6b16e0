#include "devices/popup_menus.h"

#include "display/panel.h"
#include "display/panel_layout.h"
#include "model/patch_names.h"
#include "model/performance.h"

#include <cstddef>
#include <cstdio>

PopupMenus g_menus;

namespace {

const unsigned ITEMS_PER_COLUMN = 32;

void insertItem(HMENU menu, UINT position, UINT id, UINT type, const char* text) {
    MENUITEMINFOA item = {};
    // The record without its trailing bitmap field, the size every system
    // version takes; on 64-bit Windows that is not 44.
    item.cbSize = (UINT)offsetof(MENUITEMINFOA, hbmpItem);
    item.fMask = MIIM_TYPE | MIIM_ID;
    item.fType = type;
    item.wID = id;
    item.dwTypeData = const_cast<char*>(text); // only read when inserting
    InsertMenuItemA(menu, position, TRUE, &item);
}

// A menu takes "&" for the mark of the letter underlined; "&&" shows one.
void menuText(const char* name, char (&text)[2 * PATCH_NAME_LENGTH + 1]) {
    size_t length = 0;
    for (const char* c = name; *c; ++c) {
        if (*c == '&') text[length++] = '&';
        text[length++] = *c;
    }
    text[length] = 0;
}

// Every 32 names a new column, with a line before it.
HMENU buildPatchMenu(UINT firstId) {
    const HMENU menu = CreatePopupMenu();
    for (unsigned index = 0; index < g_patchNames.count; ++index) {
        const UINT type = index > 0 && index % ITEMS_PER_COLUMN == 0 ? MFT_MENUBARBREAK : MFT_STRING;
        char text[2 * PATCH_NAME_LENGTH + 1];
        menuText(g_patchNames.names[index], text);
        insertItem(menu, index, firstId + index, type, text);
    }
    return menu;
}

HMENU buildNumberedMenu(const char* format, unsigned count, unsigned firstNumber, UINT firstId) {
    const HMENU menu = CreatePopupMenu();
    for (unsigned i = 0; i < count; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, format, i + firstNumber);
        insertItem(menu, i, firstId + i, MFT_STRING, text);
    }
    return menu;
}

void destroyMenu(HMENU& menu) {
    if (menu) DestroyMenu(menu);
    menu = nullptr;
}

HMENU menuOf(int32_t param) {
    switch (param) {
    case ParamId::PATCH: return g_menus.PatchMenu;
    case ParamId::CHANNEL: return g_menus.ChannelMenu;
    case ParamId::OCTAVE: return g_menus.OctaveMenu;
    default: return nullptr;
    }
}

} // namespace

void buildPopupMenus(const MenuItemIds& firstIds) {
    g_menus.PatchMenu = buildPatchMenu(firstIds.patch);
    g_menus.ChannelMenu = buildNumberedMenu("Channel %u", CHANNEL_COUNT, 1, firstIds.channel);
    g_menus.OctaveMenu = buildNumberedMenu("Octave %u", OCTAVE_COUNT, 0, firstIds.octave);
}

void destroyPopupMenus() {
    destroyMenu(g_menus.PatchMenu);
    destroyMenu(g_menus.OctaveMenu);
    destroyMenu(g_menus.ChannelMenu);
}

void openParameterMenu(HWND window, int32_t s, int32_t param) {
    const HMENU menu = menuOf(param);
    if (!menu) return;
    const RECT& button = sectionButtonRect(s, param);
    POINT corner = {toPixels(button.left, g_panel.dpi), toPixels(button.top, g_panel.dpi)};
    ClientToScreen(window, &corner); // menus are placed in screen coordinates
    // A modal loop: paints and bend ticks still reach the window meanwhile.
    TrackPopupMenuEx(menu, TPM_VERTICAL | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, corner.x, corner.y, window,
                     nullptr);
}
