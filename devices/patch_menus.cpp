#include "devices/patch_menus.h"

#include "base/program.h"
#include "display/panel_change.h"
#include "display/panel_layout.h"
#include "model/parameters.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

PopupMenus g_menus;

namespace {

const char PATCH_NAME_FILE[] = "gm_ins.nms";
// A piece of the file is at most this many characters, newline included;
// a longer line is read as several entries.
const int PIECE_LENGTH = 126;
const unsigned ITEMS_PER_COLUMN = 32;
// Only these many patch items: more would get ids of the channel and octave
// commands (and past 16 bits further on).
const unsigned MAX_PATCH_ITEMS = 1000;
const unsigned PATCH_COMMANDS = 128;
const unsigned CHANNEL_COMMANDS = 16;
const unsigned OCTAVE_COMMANDS = 11;
static_assert(CMD_PATCH_BASE + MAX_PATCH_ITEMS <= CMD_CHANNEL_BASE, "patch ids stay below channel ids");
static_assert(CMD_CHANNEL_BASE + CHANNEL_COMMANDS <= CMD_OCTAVE_BASE, "channel ids stay below octave ids");
static_assert(CMD_OCTAVE_BASE + OCTAVE_COMMANDS <= 0xFFFF, "command ids fit the low word");

void insertItem(HMENU menu, UINT position, UINT id, UINT type, char* text) {
    MENUITEMINFOA item = {};
    // The record without its trailing bitmap field, the size every system
    // version takes; on 64-bit Windows that is not 44.
    item.cbSize = (UINT)offsetof(MENUITEMINFOA, hbmpItem);
    item.fMask = MIIM_TYPE | MIIM_ID;
    item.fType = type;
    item.wID = id;
    item.dwTypeData = text;
    InsertMenuItemA(menu, position, TRUE, &item);
}

// One piece of the file into text; false at the end of the file or at the
// first empty line, which ends the list.
bool readEntry(std::FILE* file, char* text) {
    if (!std::fgets(text, PIECE_LENGTH + 1, file)) return false;
    size_t length = std::strlen(text);
    // Text mode reads CR LF as a newline on Windows; do the same elsewhere.
    if (length >= 2 && text[length - 2] == '\r' && text[length - 1] == '\n') {
        text[length - 2] = '\n';
        text[--length] = 0;
    }
    if (text[0] == '\n') return false;
    if (char* equals = std::strchr(text, '=')) *equals = ' ';
    if (length > 0 && text[length - 1] == '\n') text[length - 1] = 0;
    return true;
}

void readPatchMenu(std::FILE* file) {
    char text[MESSAGE_TEXT_SIZE];
    unsigned rowsInColumn = 0;
    for (unsigned index = 0; index < MAX_PATCH_ITEMS && readEntry(file, text); ++index) {
        UINT type = MFT_STRING;
        if (rowsInColumn > ITEMS_PER_COLUMN - 1) {
            type = MFT_MENUBARBREAK; // a new column with a line before it
            rowsInColumn = 1;
        } else {
            ++rowsInColumn;
        }
        insertItem(g_menus.PatchMenu, index, CMD_PATCH_BASE + index, type, text);
    }
}

HMENU buildNumberedMenu(const char* format, unsigned count, unsigned firstNumber, UINT baseId) {
    const HMENU menu = CreatePopupMenu();
    for (unsigned i = 0; i < count; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, format, i + firstNumber);
        insertItem(menu, i, baseId + i, MFT_STRING, text);
    }
    return menu;
}

void destroyMenu(HMENU& menu) {
    if (menu) DestroyMenu(menu);
    menu = nullptr;
}

bool inRange(unsigned id, unsigned base, unsigned count) { return id >= base && id < base + count; }

void choose(HWND window, unsigned value) { showPanelChange(window, setSelectedValue((int32_t)value)); }

} // namespace

bool buildPopupMenus(HWND window) {
    std::FILE* file = std::fopen(PATCH_NAME_FILE, "rt");
    if (!file) {
        showMessage(window, "Cannot load patch names.");
        return false;
    }
    g_menus.PatchMenu = CreatePopupMenu();
    readPatchMenu(file);
    std::fclose(file);
    g_menus.ChannelMenu = buildNumberedMenu("Channel %u", CHANNEL_COMMANDS, 1, CMD_CHANNEL_BASE);
    g_menus.OctaveMenu = buildNumberedMenu("Octave %u", OCTAVE_COMMANDS, 0, CMD_OCTAVE_BASE);
    return true;
}

void destroyPopupMenus() {
    destroyMenu(g_menus.PatchMenu);
    destroyMenu(g_menus.OctaveMenu);
    destroyMenu(g_menus.ChannelMenu);
}

void onCommand(HWND window, WPARAM wParam) {
    if (wParam >> 16 != 0) return; // not a command of ours
    const unsigned id = LOWORD(wParam);
    // A menu's choice goes to the selected parameter: a menu only opens from
    // its own button, which selected that parameter first.
    if (inRange(id, CMD_PATCH_BASE, PATCH_COMMANDS)) choose(window, id - CMD_PATCH_BASE);
    if (inRange(id, CMD_CHANNEL_BASE, CHANNEL_COMMANDS)) choose(window, id - CMD_CHANNEL_BASE);
    if (inRange(id, CMD_OCTAVE_BASE, OCTAVE_COMMANDS)) choose(window, id - CMD_OCTAVE_BASE);
    if (id == CMD_PATCH_MENU) showParameterMenu(window, g_menus.PatchMenu);
    if (id == CMD_CHANNEL_MENU) showParameterMenu(window, g_menus.ChannelMenu);
    if (id == CMD_OCTAVE_MENU) showParameterMenu(window, g_menus.OctaveMenu);
}

void showParameterMenu(HWND window, HMENU menu) {
    const KeyboardSection& section = g_model.sections[g_model.activeSection];
    const RECT& button = sectionButtonRect(g_model.activeSection, section.selectedParam);
    POINT corner = {button.left, button.top};
    ClientToScreen(window, &corner); // menus are placed in screen coordinates
    // Returns when the menu closes; the choice arrives later as WM_COMMAND.
    TrackPopupMenuEx(menu, TPM_VERTICAL | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, corner.x, corner.y, window,
                     nullptr);
}

void patchNameFor(int32_t program, char (&buffer)[PATCH_NAME_SIZE]) {
    if (GetMenuStringA(g_menus.PatchMenu, (UINT)(CMD_PATCH_BASE + program), buffer, PATCH_NAME_SIZE, MF_BYCOMMAND) ==
        0) {
        buffer[0] = 0;
    }
    for (char& c : buffer) {
        if (c == 0) break;
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    }
}
