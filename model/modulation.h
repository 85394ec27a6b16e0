// The modulation wheel Home works: held, it rises on the active section's
// channel to the top in small steps; let go, it falls back to 0 there. The
// timer that drives the ramp is the window side's.
#pragma once

#include <cstdint>

// Home pressed (true) or let go: the ramp heads for the top or for 0, on
// the channel it is on, else the active section's. False when nothing is
// to move, and the ramp's timer need not run.
bool aimModulation(bool up);

// One tick of the ramp: a step toward its aim, sent. False once it is
// there, and the ramp's timer stops.
bool stepModulationRamp();

// Everything ends (the keys lost, RESET): the modulation is back at 0 at
// once on the channel it rose on, sent only if it had left 0.
void endModulation();

// The active section's channel may have changed (Tab, a click on the other
// section, a channel chosen): a modulation left on another channel ends.
void endModulationElsewhere();

// What brings a device, or a take just begun, to the modulation as it
// stands, Home's and the input's: controller 1 at its value on each channel
// it holds; nothing at 0.
void sendStandingModulation();
