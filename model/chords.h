// Chord mode: a key plays a major triad, or a minor one with Ctrl held, and
// each new chord releases the one started last.
#pragma once

#include <cstdint>

struct ChordShape {
    uint8_t count;        // notes in the chord
    uint8_t intervals[5]; // semitones above the root; the first count are used
};

constexpr int32_t MINOR_CHORD = 0;
constexpr int32_t MAJOR_CHORD = 1;
extern const ChordShape ChordTable[2];

int32_t chordNoteIndex(int32_t root, int32_t quality, int32_t position, int32_t capsFold);
void pressChord(int32_t s, int32_t k);
void releaseChord(int32_t s, int32_t k);
