// Where the knob's indicator dot is drawn for the selected parameter's value.
#pragma once

#include <cstdint>

// Places the dot on the knob's sweep at value out of count (count is never
// 0 at any caller), in the panel's knobX and knobY. Callers request the
// repaint themselves.
void updateKnobIndicator(uint32_t value, uint32_t count);
