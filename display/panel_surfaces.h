// The drawing surfaces and the cursor the panel is made of. They are created
// once at start-up and released once at shut-down.
#pragma once

#include "platform/win32.h"

struct PanelSurfaces {
    HDC artworkDC;    // holds the panel artwork, only ever read
    HDC backBufferDC; // where each paint composes the whole panel
    HBITMAP artworkBitmap;
    HBITMAP backBufferBitmap;
};

extern PanelSurfaces panelSurfaces;

// "HAND", shown over controls and during drags.
extern HCURSOR handCursor;

void createPanelSurfaces(HWND window);
// Each surface is released once; the DCs go first so that no bitmap is
// still selected into a DC when it is deleted.
void releasePanelSurfaces();
