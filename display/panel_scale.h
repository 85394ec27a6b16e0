// The panel's own units and the window's pixels. The panel is laid out,
// hit-tested and dragged in its 800 x 250 units, the pixels of a 96-DPI
// display; at another display scale the window has dpi / 96 pixels per unit.
#pragma once

#include "platform/win32.h"

#include <cstdint>

constexpr int32_t BASE_DPI = 96;

// A pixel belongs to the unit its centre lies in, so the two conversions
// agree: toPanel(toPixels(u)) == u at every scale.

// The first pixel of unit `units` (an edge: a rectangle's right edge gives
// the first pixel past it).
int32_t toPixels(int32_t units, int32_t dpi);
RECT toPixels(const RECT& rect, int32_t dpi);
// The unit a window pixel lies in; left of and above the window too, where
// a captured drag can go.
POINT toPanel(POINT pixel, int32_t dpi);
