#include "input/pitch_bend.h"

#include "display/panel.h"
#include "display/repaint.h"
#include "input/drags.h"
#include "model/bend.h"

namespace {

const UINT BEND_TIMER_PERIOD_MS = 1; // below the timer resolution: one step per system tick

} // namespace

void nudgeBend(HWND window, int32_t step) {
    nudgeBendTarget(step);
    // Starts the ramp, or restarts its period if it is already running.
    SetTimer(window, TIMER_BEND_RAMP, BEND_TIMER_PERIOD_MS, nullptr);
}

void onBendTimer(HWND window) {
    if (!stepBendRamp()) KillTimer(window, TIMER_BEND_RAMP);
    showPanelChange(window, repaint(AREA_WHEEL));
}

void stopBendGesture(HWND window) {
    KillTimer(window, TIMER_BEND_RAMP);
    showPanelChange(window, endBendGesture());
}

// Capture keeps the moves and the release coming wherever the pointer goes.
void startWheelDrag(HWND window, int32_t y) {
    g_drags.wheel = true;
    g_drags.wheelLastY = y;
    SetCapture(window);
}

bool onWheelDragMove(HWND window, int32_t y) {
    // Signed positions: dragged above the window, y goes negative and still
    // counts as upward. Only vertical movement turns the wheel.
    if (y == g_drags.wheelLastY) return false;
    const int32_t direction = y < g_drags.wheelLastY ? +1 : -1;
    SetCursor(g_panel.handCursor);
    const PanelChange change = stepWheelBend(direction);
    g_drags.wheelLastY = y;
    showPanelChange(window, change);
    return true;
}

void endWheelDrag(HWND window) {
    if (!g_drags.wheel) return;
    g_drags.wheel = false;
    showPanelChange(window, centreWheelBend());
}
