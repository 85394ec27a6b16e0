// Where the knob's indicator dot is drawn: the active section's selected
// value on the knob's sweep.
#pragma once

#include "platform/win32.h"

#include <cstdint>

// Top-left of the dot's sprite for value out of count (count is never 0).
POINT knobIndicatorPosition(uint32_t value, uint32_t count);

// The same for the model as it stands.
POINT knobIndicatorPosition();
