// The parameters of the keyboard sections and which of them is selected.
// A change of Patch or Channel ends in the program change it calls for;
// every operation reports what the panel must show anew.
#pragma once

#include "model/panel_areas.h"
#include "model/performance.h"

// The selected parameter of the active section: where its value is kept
// (for Patch, the one its channel plays), and how many values it has.
int32_t& selectedValue();
int32_t selectedCount();

// Makes id the selected parameter of section s, and s the active section.
PanelChange selectParam(int32_t s, int32_t id);
// Left and Right arrows: the active section's previous (-1) or next (+1)
// setting is selected, stopping at the ends.
PanelChange selectNeighbour(int32_t direction);
// + and -: s becomes active and its selected value steps, stopping at the
// bounds; the value is committed also when it could not move.
PanelChange stepSelectedUp(int32_t s);
PanelChange stepSelectedDown(int32_t s);
// A menu's choice for the selected parameter.
PanelChange setSelectedValue(int32_t v);
// A program change from the input: the active section's patch, as the
// PATCH menu chooses it, whatever setting is selected.
PanelChange choosePatch(int32_t patch);
// One step of a knob drag, +1 or -1, clamped.
PanelChange knobStep(int32_t direction);
// CHORD: chord mode off, or back on to the chord type it was last on.
PanelChange toggleChordMode(int32_t s);
// Tab: the other section becomes active.
PanelChange switchActiveSection();
