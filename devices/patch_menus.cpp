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
// An entry keeps at most this many characters of its line; the rest of a
// longer line is skipped, so that every name stays on its program number.
const size_t NAME_LENGTH = 126;
const int END_OF_TEXT = 0x1A; // Ctrl-Z: Windows text mode reads no further
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

// The item ids of each menu and the parameter its items set.
struct MenuItems {
    UINT baseId;
    unsigned count;
    int32_t param;
};
const MenuItems MENU_ITEMS[] = {
    {CMD_PATCH_BASE, PATCH_COMMANDS, ParamId::Patch},
    {CMD_CHANNEL_BASE, CHANNEL_COMMANDS, ParamId::Channel},
    {CMD_OCTAVE_BASE, OCTAVE_COMMANDS, ParamId::Octave},
};

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

// The file as Windows text mode reads it, on every system alike: CR LF is
// one newline wherever it falls, and Ctrl-Z ends the file.
struct TextReader {
    std::FILE* file;
    bool ended;
};

int readCharacter(TextReader& reader) {
    if (reader.ended) return EOF;
    const int c = std::fgetc(reader.file);
    if (c == '\r') {
        const int next = std::fgetc(reader.file);
        if (next == '\n') return '\n';
        if (next != EOF) std::ungetc(next, reader.file);
    }
    if (c == EOF || c == END_OF_TEXT) reader.ended = true;
    return reader.ended ? EOF : c;
}

// One line's entry into text; false at the end of the file or at the first
// empty line, which ends the list.
bool readEntry(TextReader& reader, char (&text)[NAME_LENGTH + 1]) {
    size_t length = 0;
    for (int c = readCharacter(reader); c != EOF && c != '\n'; c = readCharacter(reader)) {
        if (length < NAME_LENGTH) text[length++] = (char)c;
    }
    text[length] = 0;
    if (length == 0) return false;
    if (char* equals = std::strchr(text, '=')) *equals = ' ';
    return true;
}

void readPatchMenu(std::FILE* file) {
    TextReader reader = {file, false};
    char text[NAME_LENGTH + 1];
    unsigned rowsInColumn = 0;
    for (unsigned index = 0; index < MAX_PATCH_ITEMS && readEntry(reader, text); ++index) {
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

} // namespace

bool buildPopupMenus(HWND window) {
    // Binary, and read as text mode would: the same on every system.
    std::FILE* file = std::fopen(PATCH_NAME_FILE, "rb");
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
    // A menu's item reaches only its own parameter, which its button selected
    // before opening it; an item id from anywhere else is ignored.
    const KeyboardSection& section = g_model.sections[g_model.activeSection];
    for (const MenuItems& items : MENU_ITEMS) {
        if (inRange(id, items.baseId, items.count) && section.selectedParam == items.param) {
            showPanelChange(window, setSelectedValue((int32_t)(id - items.baseId)));
        }
    }
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
