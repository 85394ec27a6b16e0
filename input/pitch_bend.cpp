#include "input/pitch_bend.h"

#include "display/panel_layout.h"
#include "display/panel_surfaces.h"
#include "model/keyboard_sections.h"
#include "model/midi_messages.h"

int32_t wheelDragging;
int32_t wheelLastY;

namespace {

const UINT BEND_TIMER_PERIOD_MS = 1; // below the timer resolution: one step per system tick
const int32_t RAMP_STEP = 500;
const int32_t WHEEL_STEP = 400;
// Far beyond any bend, yet far from overflow: a target held there still
// clamps to the same end at the next tick.
const int32_t TARGET_LIMIT = 1 << 30;

void springBackToCentre(HWND window) {
    bendValue = BEND_CENTRE;
    bendTarget = BEND_CENTRE;
    KillTimer(window, BendTimer);
}

void clampTarget() {
    if (bendTarget >= BEND_MAX) bendTarget = BEND_MAX;
    if (bendTarget < 0) bendTarget = 0;
}

// One ramp step toward the target; reaching or passing it ends the gesture.
void rampTowardTarget(HWND window) {
    if (bendTarget > bendValue) {
        bendValue += RAMP_STEP;
        if (bendValue >= bendTarget) springBackToCentre(window);
    }
    if (bendTarget < bendValue) {
        bendValue -= RAMP_STEP;
        if (bendValue <= bendTarget) springBackToCentre(window);
    }
}

int32_t limitTarget(int64_t target) {
    if (target > TARGET_LIMIT) return TARGET_LIMIT;
    if (target < -TARGET_LIMIT) return -TARGET_LIMIT;
    return (int32_t)target;
}

void wheelUp() {
    bendValue += WHEEL_STEP;
    if (bendValue >= BEND_MAX) bendValue = BEND_MAX;
}

void wheelDown() {
    bendValue -= WHEEL_STEP;
    if (bendValue < 0) bendValue = 0;
}

} // namespace

void nudgeBend(HWND window, int32_t step) {
    bendTarget = limitTarget((int64_t)bendTarget + step);
    // Starts the ramp, or restarts its period if it is already running.
    SetTimer(window, BendTimer, BEND_TIMER_PERIOD_MS, nullptr);
}

void onBendTimer(HWND window) {
    clampTarget();
    rampTowardTarget(window);
    InvalidateRect(window, &wheelRect, FALSE);
    sendPitchBend();
}

int onWheelDragMove(HWND window, int x, int y) {
    (void)x; // only vertical movement turns the wheel
    // Signed positions: dragged above the window, y goes negative and still
    // counts as upward.
    if (y < wheelLastY) {
        wheelUp();
    } else if (y > wheelLastY) {
        wheelDown();
    } else {
        return 0;
    }
    SetCursor(handCursor);
    wheelLastY = y;
    InvalidateRect(window, &sections[0].lcdRect, FALSE);
    InvalidateRect(window, &sections[1].lcdRect, FALSE);
    InvalidateRect(window, &wheelRect, FALSE);
    sendPitchBend();
    return 1;
}

void endWheelDrag(HWND window) {
    if (wheelDragging == 0) return;
    wheelDragging = 0;
    bendValue = BEND_CENTRE; // the target and any running ramp are left alone
    sendPitchBend();
    InvalidateRect(window, &wheelRect, FALSE);
}
