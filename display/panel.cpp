#include "display/panel.h"

#include "base/program.h"
#include "display/panel_layout.h"

Panel g_panel;

namespace {

// The stock GUI font's height at 100 %, in pixels.
const LONG DISPLAY_FONT_HEIGHT = 11;

typedef UINT(WINAPI* DpiForWindowFunction)(HWND);

// The artwork drawn nearest above the scale: as drawn at 100 % and 200 %,
// else scaled from it once here with a filter that averages, never at paint.
HBITMAP loadArtwork(HDC windowDC, int32_t dpi) {
    const bool doubleSize = dpi > BASE_DPI;
    const HBITMAP drawn = LoadBitmapA(g_program.instance, doubleSize ? "MAINBMP2X" : "MAINBMP");
    if (dpi == BASE_DPI || dpi == 2 * BASE_DPI) return drawn;
    const int32_t drawnDpi = doubleSize ? 2 * BASE_DPI : BASE_DPI;
    const HBITMAP scaled = CreateCompatibleBitmap(windowDC, toPixels(PANEL_WIDTH, dpi), toPixels(PANEL_HEIGHT, dpi));
    const HDC from = CreateCompatibleDC(windowDC);
    const HDC to = CreateCompatibleDC(windowDC);
    const HGDIOBJ fromBefore = SelectObject(from, drawn);
    const HGDIOBJ toBefore = SelectObject(to, scaled);
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr); // HALFTONE needs the brush origin set after it
    StretchBlt(to, 0, 0, toPixels(PANEL_WIDTH, dpi), toPixels(PANEL_HEIGHT, dpi), from, 0, 0,
               toPixels(PANEL_WIDTH, drawnDpi), toPixels(PANEL_HEIGHT, drawnDpi), SRCCOPY);
    SelectObject(from, fromBefore);
    SelectObject(to, toBefore);
    DeleteDC(from);
    DeleteDC(to);
    DeleteObject(drawn);
    return scaled;
}

// The stock font's face at the scale's own size, not the 100 % one stretched.
HFONT createDisplayFont(int32_t dpi) {
    LOGFONTA font = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), (int)sizeof font, &font);
    font.lfHeight = -toPixels(DISPLAY_FONT_HEIGHT, dpi);
    font.lfWidth = 0;
    return CreateFontIndirectA(&font);
}

} // namespace

int32_t windowDpi(HWND window) {
    // Windows 10 1607 and later know each monitor's scale; earlier systems
    // have one scale for the whole screen.
    const FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    // Through the generic function pointer type, which converts to any other.
    const auto dpiForWindow = reinterpret_cast<DpiForWindowFunction>(reinterpret_cast<void (*)()>(found));
    int32_t dpi = dpiForWindow ? (int32_t)dpiForWindow(window) : 0;
    if (dpi <= 0) {
        const HDC screen = GetDC(nullptr);
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : BASE_DPI;
}

void createPanelSurfaces(HWND window, int32_t dpi) {
    g_panel.dpi = dpi;
    const HDC windowDC = GetDC(window);
    g_panel.artworkDC = CreateCompatibleDC(windowDC);
    g_panel.backBufferDC = CreateCompatibleDC(windowDC);
    g_panel.artworkBitmap = loadArtwork(windowDC, dpi);
    g_panel.backBufferBitmap =
        CreateCompatibleBitmap(windowDC, toPixels(PANEL_WIDTH, dpi), toPixels(PANEL_HEIGHT, dpi));
    SelectObject(g_panel.backBufferDC, g_panel.backBufferBitmap);
    SelectObject(g_panel.artworkDC, g_panel.artworkBitmap);
    ReleaseDC(window, windowDC);
    if (dpi != BASE_DPI) g_panel.displayFont = createDisplayFont(dpi);
}

namespace {

void deleteDC(HDC& dc) {
    if (dc) DeleteDC(dc);
    dc = nullptr;
}

template <typename Handle>
void deleteObject(Handle& object) {
    if (object) DeleteObject(object);
    object = nullptr;
}

} // namespace

void releasePanelSurfaces() {
    deleteDC(g_panel.artworkDC);
    deleteDC(g_panel.backBufferDC);
    deleteObject(g_panel.backBufferBitmap);
    deleteObject(g_panel.artworkBitmap);
    deleteObject(g_panel.displayFont);
}

void loadHandCursor() { g_panel.handCursor = LoadCursorA(g_program.instance, "HAND"); }

// A cursor LoadCursor gives is shared by everyone who loads it: it is
// never destroyed, only forgotten.
void releaseHandCursor() { g_panel.handCursor = nullptr; }
