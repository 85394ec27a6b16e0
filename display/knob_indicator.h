// Where the knob's indicator dot is drawn for the selected parameter's value.
#pragma once

#include <cstdint>

// Top-left of the indicator sprite in panel pixels; always whole numbers.
extern double knobX;
extern double knobY;

// Places the dot on the knob's sweep at value out of count (count is never
// 0 at any caller). Returns 1. Callers request the repaint themselves.
int updateKnobIndicator(uint32_t value, uint32_t count);
