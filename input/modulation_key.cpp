#include "input/modulation_key.h"

#include "model/modulation.h"

namespace {

const UINT MODULATION_TIMER_PERIOD_MS = 1; // below the timer resolution: one step per system tick

void aim(HWND window, bool up) {
    // Starts the ramp, or restarts its period if it is already running.
    if (aimModulation(up)) SetTimer(window, TIMER_MODULATION, MODULATION_TIMER_PERIOD_MS, nullptr);
}

} // namespace

void pressModulationKey(HWND window) { aim(window, true); }

void releaseModulationKey(HWND window) { aim(window, false); }

void onModulationTimer(HWND window) {
    if (!stepModulationRamp()) KillTimer(window, TIMER_MODULATION);
}

void stopModulation(HWND window) {
    KillTimer(window, TIMER_MODULATION);
    endModulation();
}
