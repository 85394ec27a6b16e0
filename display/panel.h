// What the panel remembers between messages: the drawing surfaces and the
// cursor made at start-up, and the drag under way.
#pragma once

#include "platform/win32.h"

#include <cstdint>

struct Panel {
    HDC artworkDC = nullptr;    // holds the panel artwork, only ever read
    HDC backBufferDC = nullptr; // where each paint composes the whole panel
    HBITMAP artworkBitmap = nullptr;
    HBITMAP backBufferBitmap = nullptr;
    HCURSOR handCursor = nullptr; // "HAND", shown over controls and during drags
    bool knobDragging = false;
    int32_t knobLastX = 0; // pointer x at the last knob step
    bool wheelDragging = false;
    int32_t wheelLastY = 0; // pointer y at the last wheel step
};

extern Panel g_panel;

void createPanelSurfaces(HWND window);
// Each surface is released once; the DCs go first so that no bitmap is
// still selected into a DC when it is deleted.
void releasePanelSurfaces();

void loadHandCursor();
void releaseHandCursor();
