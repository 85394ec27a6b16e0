#include "display/panel.h"

#include "base/program.h"
#include "display/panel_layout.h"

Panel g_panel;

void createPanelSurfaces(HWND window) {
    const HDC windowDC = GetDC(window);
    g_panel.artworkDC = CreateCompatibleDC(windowDC);
    g_panel.backBufferDC = CreateCompatibleDC(windowDC);
    g_panel.artworkBitmap = LoadBitmapA(g_program.instance, "MAINBMP");
    g_panel.backBufferBitmap = CreateCompatibleBitmap(windowDC, PANEL_WIDTH, PANEL_HEIGHT);
    SelectObject(g_panel.backBufferDC, g_panel.backBufferBitmap);
    SelectObject(g_panel.artworkDC, g_panel.artworkBitmap);
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
    deleteDC(g_panel.artworkDC);
    deleteDC(g_panel.backBufferDC);
    deleteBitmap(g_panel.backBufferBitmap);
    deleteBitmap(g_panel.artworkBitmap);
}

void loadHandCursor() { g_panel.handCursor = LoadCursorA(g_program.instance, "HAND"); }

void releaseHandCursor() {
    if (g_panel.handCursor) DestroyCursor(g_panel.handCursor);
    g_panel.handCursor = nullptr;
}
