// Chord mode: a key plays a major triad, or a minor one with Ctrl held, and
// each new chord ends the one the section started last.
#pragma once

#include "model/panel_areas.h"
#include "model/performance.h"

#include <cstdint>

struct ChordShape {
    uint8_t count;        // notes in the chord
    uint8_t intervals[5]; // semitones above the root; the first count are used
};

extern const ChordShape ChordTable[2]; // by quality: MINOR_CHORD, MAJOR_CHORD

// Note index of the chord's note at position, folded into the lowest octave
// of the section's keys when Caps Lock is on.
int32_t chordNoteIndex(int32_t root, int32_t quality, int32_t position, bool capsFold);

// A computer key plays the chord on `offset` in section s, with Ctrl and
// Caps Lock as they stand at the key's message. The release of a chord's
// key is any key's release (releaseKey).
PanelChange pressChord(int32_t keyId, int32_t s, int32_t offset, bool minor, bool capsFold);
