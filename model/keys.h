// The keys of a section with chord mode off: which keys play, and a press
// and a release of one.
#pragma once

#include "model/panel_change.h"
#include "model/performance.h"

// Whether key k of section s plays at the section's octave: a key whose note
// would pass 127 is no key at all. Transpose takes no part.
bool keyInRange(int32_t s, int32_t k);

PanelChange pressNote(int32_t s, int32_t k);
PanelChange releaseNote(int32_t s, int32_t k);
