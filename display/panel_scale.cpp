#include "display/panel_scale.h"

namespace {

int64_t floorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int64_t ceilDiv(int64_t a, int64_t b) { return -floorDiv(-a, b); }

} // namespace

// The first pixel whose centre p + 1/2 is at or past units * dpi / 96.
int32_t toPixels(int32_t units, int32_t dpi) {
    return (int32_t)ceilDiv(2 * (int64_t)units * dpi - BASE_DPI, 2 * (int64_t)BASE_DPI);
}

RECT toPixels(const RECT& rect, int32_t dpi) {
    return {toPixels(rect.left, dpi), toPixels(rect.top, dpi), toPixels(rect.right, dpi), toPixels(rect.bottom, dpi)};
}

POINT toPanel(POINT pixel, int32_t dpi) {
    auto unit = [dpi](int32_t p) { return (LONG)floorDiv((2 * (int64_t)p + 1) * BASE_DPI, 2 * (int64_t)dpi); };
    return {unit(pixel.x), unit(pixel.y)};
}
