// What the panel remembers between messages: the drawing surfaces and the
// cursor made at start-up, and the display scale they are made for.
#pragma once

#include "display/panel_scale.h"
#include "platform/win32.h"

#include <cstdint>

struct Panel {
    int32_t dpi = BASE_DPI;     // the window's display scale, 96 = 100 %
    HDC artworkDC = nullptr;    // holds the panel artwork at that scale, only ever read
    HDC backBufferDC = nullptr; // where each paint composes the whole panel
    HBITMAP artworkBitmap = nullptr;
    HBITMAP backBufferBitmap = nullptr;
    HFONT displayFont = nullptr;  // the displays' font at a scale other than 100 %
    HCURSOR handCursor = nullptr; // "HAND", shown over controls and during drags
};

extern Panel g_panel;

// The scale of the monitor the window is on.
int32_t windowDpi(HWND window);
// The back buffer, the artwork and the displays' font for a scale: at 100 %
// the artwork as drawn and the stock font.
void createPanelSurfaces(HWND window, int32_t dpi = BASE_DPI);
// Each surface is released once; the DCs go first so that no bitmap or font
// is still selected into a DC when it is deleted.
void releasePanelSurfaces();

void loadHandCursor();
void releaseHandCursor();
