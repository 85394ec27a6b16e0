#include "model/bend.h"

#include "model/midi_messages.h"
#include "model/performance.h"

namespace {

const int32_t RAMP_STEP = 500;
const int32_t WHEEL_STEP = 400;
// Far beyond any bend, yet far from overflow: a target held there still
// clamps to the same end at the next tick.
const int32_t TARGET_LIMIT = 1 << 30;

int32_t limitTarget(int64_t target) {
    if (target > TARGET_LIMIT) return TARGET_LIMIT;
    if (target < -TARGET_LIMIT) return -TARGET_LIMIT;
    return (int32_t)target;
}

void clampTarget() {
    int32_t& target = g_model.bendTarget;
    if (target >= BEND_MAX) target = BEND_MAX;
    if (target < 0) target = 0;
}

void springBackToCentre() {
    g_model.bendValue = BEND_CENTRE;
    g_model.bendTarget = BEND_CENTRE;
}

// The ramp's step toward the target; false when the gesture is over.
bool rampTowardTarget() {
    clampTarget();
    int32_t& value = g_model.bendValue;
    const int32_t target = g_model.bendTarget;
    if (target > value) {
        value += RAMP_STEP;
        if (value < target) return true;
    } else if (target < value) {
        value -= RAMP_STEP;
        if (value > target) return true;
    }
    // Reached, passed, or already there when the tick came (Page Up and Page
    // Down before the first tick): the gesture ends, or it would tick forever.
    springBackToCentre();
    return false;
}

} // namespace

void nudgeBendTarget(int32_t step) { g_model.bendTarget = limitTarget((int64_t)g_model.bendTarget + step); }

bool stepBendRamp() {
    const bool going = rampTowardTarget();
    sendPitchBend();
    return going;
}

PanelChange stepWheelBend(int32_t direction) {
    int32_t& value = g_model.bendValue;
    value += direction * WHEEL_STEP;
    if (value >= BEND_MAX) value = BEND_MAX;
    if (value < 0) value = 0;
    sendPitchBend();
    // The displays too, as they always have been with the wheel.
    return repaint(AREA_DISPLAY_0 | AREA_DISPLAY_1 | AREA_WHEEL);
}

PanelChange centreWheelBend() {
    g_model.bendValue = BEND_CENTRE; // the gesture's target and ramp are left alone
    sendPitchBend();
    return repaint(AREA_WHEEL);
}

PanelChange endBendGesture() {
    springBackToCentre();
    if (g_model.bentChannel == NO_CHANNEL) return PanelChange{};
    sendPitchBend(); // the centre, on the channel the bend is on
    return repaint(AREA_WHEEL);
}
