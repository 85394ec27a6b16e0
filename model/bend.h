// The pitch bend of the active section: the keyboard gesture's ramp toward
// its target and the wheel's steps, each sent at once. The timer that
// drives the ramp is the window side's.
#pragma once

#include "model/panel_areas.h"

#include <cstdint>

// Page Up (+1500) and Page Down (-1500) move the target of the gesture.
void nudgeBendTarget(int32_t step);

// One tick of the gesture: the bend moves a step toward the target and is
// sent. Reaching or passing it, or finding the bend already there, springs
// the bend back to the centre and ends the gesture: false, and the ramp's
// timer stops.
bool stepBendRamp();

// One step of a wheel drag: +1 up, -1 down, clamped at the ends, and sent.
PanelChange stepWheelBend(int32_t direction);

// The wheel let go: the bend springs back to the centre, and is sent.
PanelChange centreWheelBend();

// The keys are lost in the middle of a gesture: the bend springs back to the
// centre, sent only if it had left it. The ramp's timer is to stop.
PanelChange endBendGesture();
