// The pitch-bend wheel and the keyboard bend gesture with its spring-back.
#pragma once

#include "platform/win32.h"

#include <cstdint>

constexpr UINT_PTR BendTimer = 1; // window timer id of the bend ramp

extern int32_t wheelDragging; // 1 while the wheel is dragged
extern int32_t wheelLastY;    // pointer y at the last step of the drag

// Page Up (+1500) and Page Down (-1500): move the target, (re)start the ramp.
void nudgeBend(HWND window, int32_t step);
void onBendTimer(HWND window);
// One wheel step for a pointer move during the drag. 0 when y did not
// change: the rest of that mouse message's handling is skipped.
int onWheelDragMove(HWND window, int x, int y);
void endWheelDrag(HWND window);
