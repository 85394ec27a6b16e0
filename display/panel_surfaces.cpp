#include "display/panel_surfaces.h"

#include "app/main_window.h"
#include "display/panel_layout.h"

PanelSurfaces panelSurfaces;
HCURSOR handCursor;

void createPanelSurfaces(HWND window) {
    const HDC windowDC = GetDC(window);
    panelSurfaces.artworkDC = CreateCompatibleDC(windowDC);
    panelSurfaces.backBufferDC = CreateCompatibleDC(windowDC);
    panelSurfaces.artworkBitmap = LoadBitmapA(programInstance, "MAINBMP");
    panelSurfaces.backBufferBitmap = CreateCompatibleBitmap(windowDC, PANEL_WIDTH, PANEL_HEIGHT);
    SelectObject(panelSurfaces.backBufferDC, panelSurfaces.backBufferBitmap);
    SelectObject(panelSurfaces.artworkDC, panelSurfaces.artworkBitmap);
    ReleaseDC(window, windowDC);
}

namespace {

void deleteDC(HDC& dc) {
    if (dc) DeleteDC(dc);
    dc = nullptr;
}

void deleteBitmap(HBITMAP& bitmap) {
    if (bitmap) DeleteObject(bitmap);
    bitmap = nullptr;
}

} // namespace

void releasePanelSurfaces() {
    deleteDC(panelSurfaces.artworkDC);
    deleteDC(panelSurfaces.backBufferDC);
    deleteBitmap(panelSurfaces.backBufferBitmap);
    deleteBitmap(panelSurfaces.artworkBitmap);
}
