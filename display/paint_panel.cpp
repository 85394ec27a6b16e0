#include "display/paint_panel.h"

#include "display/panel_layout.h"
#include "display/panel_surfaces.h"

// Placeholder until panel rendering is built: the artwork alone.
int paintPanel(HDC target) {
    BitBlt(target, 0, 0, PANEL_WIDTH, PANEL_HEIGHT, panelSurfaces.artworkDC, 0, 0, SRCCOPY);
    return 1;
}
