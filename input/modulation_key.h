// Home, the modulation wheel's key, and the timer of its ramp.
#pragma once

#include "base/timers.h"
#include "platform/win32.h"

// Home pressed, or let go: the ramp heads up or down, its timer running
// while there is a way to go.
void pressModulationKey(HWND window);
void releaseModulationKey(HWND window);
void onModulationTimer(HWND window);
// The keys are lost: the modulation is back at 0 at once, the timer stopped.
void stopModulation(HWND window);
