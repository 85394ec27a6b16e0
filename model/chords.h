// Chord mode: a key plays the section's chord type on its note, Ctrl
// lowering a major third to a minor one, and each new chord ends the one the
// section started last. A strum starts the notes one after another, lowest
// first; a latch keeps a chord sounding after its key is let go.
#pragma once

#include "model/panel_areas.h"
#include "model/performance.h"

#include <cstdint>

constexpr int MAX_CHORD_NOTES = 4;

struct ChordShape {
    uint8_t count;                      // notes in the chord
    uint8_t intervals[MAX_CHORD_NOTES]; // semitones above the root; the first count are used
    bool minorWithCtrl;                 // Ctrl lowers its major third (4) to a minor one (3)
};

extern const ChordShape ChordTable[ChordType::COUNT]; // by ChordType; OFF has no notes

// The offsets of the chord of `type` on `root`, lowest first, each folded
// into the lowest octave of the section's keys when Caps Lock is on; how
// many there are.
int32_t chordOffsets(int32_t root, int32_t type, bool minor, bool capsFold, int32_t (&offsets)[MAX_VOICES]);

// A computer key plays the chord on `offset` in section s, with Ctrl and
// Caps Lock as they stand at the key's message. Its lowest note starts at
// once, the others now too or, with a strum, as startDueStrumNotes finds
// them due. The release of a chord's key is any key's release (releaseKey),
// or letGoOfKey. A velocity given (an input note's) plays instead of the
// section's VOLUME.
PanelChange pressChord(int32_t keyId, int32_t s, int32_t offset, bool minor, bool capsFold, int32_t velocity = 0);

// A key let go: the chord it plays, the one its section started last, is
// latched when the section latches in chord mode; otherwise, and for any
// other key, what it sounds ends as releaseKey ends it.
PanelChange letGoOfKey(int32_t keyId);

// The chord section s's latch holds ends, with note-offs.
PanelChange endLatch(int32_t s);

// The notes of strummed chords whose time has come by `now` (performance
// counter) start; INT64_MAX starts them all.
PanelChange startDueStrumNotes(int64_t now);
// When the next note of a strummed chord is due; false when none waits.
bool nextStrumNote(int64_t* due);
// The program ends: no strum under way starts another note.
void stopStrums();
