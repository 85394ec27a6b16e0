#include "model/chords.h"

// Placeholder until chord mode is built.
const ChordShape ChordTable[2] = {{3, {0, 3, 7, 0, 0}}, {3, {0, 4, 7, 0, 0}}};

int32_t chordNoteIndex(int32_t root, int32_t quality, int32_t position, int32_t capsFold) {
    (void)root, (void)quality, (void)position, (void)capsFold;
    return 0;
}
void pressChord(int32_t, int32_t) {}
void releaseChord(int32_t, int32_t) {}
