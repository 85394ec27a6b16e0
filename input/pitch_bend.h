// The keyboard bend gesture's timer and the pitch-bend wheel's drag.
#pragma once

#include "base/timers.h"
#include "platform/win32.h"

#include <cstdint>

// Page Up (+1500) and Page Down (-1500): move the target, (re)start the ramp.
void nudgeBend(HWND window, int32_t step);
void onBendTimer(HWND window);
// The gesture ends at once, the bend back at the centre, the timer stopped.
void stopBendGesture(HWND window);

// A press on the wheel starts the drag; each pointer move is one step. False
// when y did not change: the rest of that mouse message's handling is skipped.
void startWheelDrag(HWND window, int32_t y);
bool onWheelDragMove(HWND window, int32_t y);
void endWheelDrag(HWND window);
