// The left mouse button on the panel: buttons, menus, knob and wheel drags,
// the hand cursor, and moving the borderless window.
#pragma once

#include "platform/win32.h"

#include <cstdint>

extern int32_t knobDragging; // 1 while the knob is dragged
extern int32_t knobLastX;    // pointer x at the last knob step

void onLeftButtonDown(HWND window, LPARAM position);
void onMouseMove(HWND window, LPARAM position);
void onLeftButtonUp(HWND window);
