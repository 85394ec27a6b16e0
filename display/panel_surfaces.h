// The drawing surfaces and the cursor the panel is made of. They are created
// once at start-up and released once at shut-down.
#pragma once

#include "platform/win32.h"

struct PanelSurfaces {
    HDC artworkDC;           // holds the panel artwork, only ever read
    HDC backBufferDC;        // where each paint composes the whole panel
    HBITMAP artworkBitmap;   // "MAINBMP"
    HBITMAP backBufferBitmap;
};

extern PanelSurfaces panelSurfaces;

// "HAND", shown over controls and during drags.
extern HCURSOR handCursor;
