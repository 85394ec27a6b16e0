#include "model/chords.h"

#include "model/midi_messages.h"

const ChordShape ChordTable[2] = {
    {3, {0, 3, 7, 0, 0}}, // minor
    {3, {0, 4, 7, 0, 0}}, // major
};

namespace {

const int32_t OCTAVE = 12;

// Chord notes can reach index 23; only the 17 keys of the bed have a flag.
void setKeyFlag(KeyboardSection& section, int32_t n, bool down) {
    if (n >= 0 && n < KEY_COUNT) section.keyDown[n] = down;
}

void noteOff(KeyboardSection& section, int32_t n) {
    setKeyFlag(section, n, false);
    sendNote(section, n, false);
}

void noteOn(KeyboardSection& section, int32_t n) {
    setKeyFlag(section, n, true);
    sendNote(section, n, true);
}

int32_t noteCount(int32_t quality) { return ChordTable[quality].count; }

// Whether note index n also belongs to the chord started last.
bool inLastChord(const KeyboardSection& section, int32_t n, bool capsFold) {
    const int32_t lastKey = g_model.lastChordKey;
    const int32_t quality = section.keyChordQuality[lastKey];
    for (int32_t j = 0; j < noteCount(quality); ++j) {
        if (chordNoteIndex(lastKey, quality, j, capsFold) == n) return true;
    }
    return false;
}

} // namespace

int32_t chordNoteIndex(int32_t root, int32_t quality, int32_t position, bool capsFold) {
    const int32_t n = root + ChordTable[quality].intervals[position];
    return capsFold && n >= OCTAVE ? n - OCTAVE : n;
}

PanelChange pressChord(int32_t s, int32_t k, bool minor, bool capsFold) {
    KeyboardSection& section = g_model.sections[s];
    g_model.chordQuality = minor ? MINOR_CHORD : MAJOR_CHORD;
    // The chord started last stops first, even if it is this very key or
    // its key was let go long ago; lastChordKey is shared by both sections.
    const int32_t lastKey = g_model.lastChordKey;
    const int32_t lastQuality = section.keyChordQuality[lastKey];
    for (int32_t i = 0; i < noteCount(lastQuality); ++i) {
        noteOff(section, chordNoteIndex(lastKey, lastQuality, i, capsFold));
    }
    const int32_t quality = g_model.chordQuality;
    section.keyChordQuality[k] = (uint8_t)quality;
    for (int32_t i = 0; i < noteCount(quality); ++i) noteOn(section, chordNoteIndex(k, quality, i, capsFold));
    g_model.lastChordKey = k;
    return repaint(keysArea(s));
}

PanelChange releaseChord(int32_t s, int32_t k, bool capsFold) {
    KeyboardSection& section = g_model.sections[s];
    const int32_t quality = section.keyChordQuality[k];
    for (int32_t i = 0; i < noteCount(quality); ++i) {
        const int32_t n = chordNoteIndex(k, quality, i, capsFold);
        // Held over into the newer chord (legato): that chord still sounds it.
        if (k != g_model.lastChordKey && inLastChord(section, n, capsFold)) continue;
        noteOff(section, n);
    }
    return repaint(keysArea(s));
}
