#include "app/commands.h"

#include "display/repaint.h"
#include "model/parameters.h"

namespace {

struct MenuRange {
    UINT first;
    unsigned width;
    int32_t param; // the parameter the menu's items set
};

const MenuRange MENU_RANGES[] = {
    {CMD_PATCH_ITEMS, MAX_PATCH_NAMES, ParamId::PATCH},
    {CMD_CHANNEL_ITEMS, CHANNEL_COUNT, ParamId::CHANNEL},
    {CMD_OCTAVE_ITEMS, OCTAVE_COUNT, ParamId::OCTAVE},
};

} // namespace

void onCommand(HWND window, WPARAM wParam) {
    if (wParam >> 16 != 0) return; // a control's notification, not a command
    const UINT id = LOWORD(wParam);
    const KeyboardSection& section = g_model.sections[g_model.activeSection];
    for (const MenuRange& range : MENU_RANGES) {
        if (id < range.first || id >= range.first + range.width) continue;
        const int32_t value = (int32_t)(id - range.first);
        // The choice arrives after the menu has closed. It reaches only its
        // own parameter, still selected, and only a value the parameter has:
        // a patch file may name more programs than MIDI has.
        if (section.selectedParam == range.param && value < selectedCount()) {
            showPanelChange(window, setSelectedValue(value));
        }
    }
}
