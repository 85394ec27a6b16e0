#include "display/repaint.h"

#include "display/panel.h"
#include "display/panel_layout.h"

namespace {

struct AreaRect {
    PanelArea area;
    const RECT* rect; // null: the whole panel
};

// In the order the areas are repainted.
const AreaRect AREA_RECTS[] = {
    {AREA_WHOLE_PANEL, nullptr},
    {AREA_KNOB, &PanelLayout[LAYOUT_KNOB]},
    {AREA_DISPLAY_0, &PanelLayout[LAYOUT_LCD_0]},
    {AREA_DISPLAY_1, &PanelLayout[LAYOUT_LCD_1]},
    {AREA_KEYS_0, &PanelLayout[LAYOUT_KEY_BED_0]},
    {AREA_KEYS_1, &PanelLayout[LAYOUT_KEY_BED_1]},
    {AREA_WHEEL, &PanelLayout[LAYOUT_WHEEL]},
};

} // namespace

void showPanelChange(HWND window, const PanelChange& change) {
    // Painting covers the whole panel, so nothing needs erasing first.
    for (const AreaRect& entry : AREA_RECTS) {
        if (!(change.areas & entry.area)) continue;
        if (!entry.rect) {
            InvalidateRect(window, nullptr, FALSE);
            continue;
        }
        const RECT pixels = toPixels(*entry.rect, g_panel.dpi);
        InvalidateRect(window, &pixels, FALSE);
    }
}
