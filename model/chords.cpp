#include "model/chords.h"

#include "model/keyboard_sections.h"
#include "model/midi_messages.h"
#include "platform/win32.h"

const ChordShape ChordTable[2] = {
    {3, {0, 3, 7, 0, 0}}, // minor
    {3, {0, 4, 7, 0, 0}}, // major
};

namespace {

const int32_t OCTAVE = 12;

// Read while the message is handled: the state of the keyboard at that
// message, not whatever it is by the time the queue is empty.
bool controlHeld() { return (GetKeyState(VK_CONTROL) & 0x80) != 0; }
int32_t capsFoldNow() { return (GetKeyState(VK_CAPITAL) & 0x01) != 0 ? 1 : 0; }

// Chord notes can reach index 23; only the 17 keys of the bed have a flag.
void setKeyFlag(KeyboardSection& section, int32_t n, uint8_t down) {
    if (n >= 0 && n < KEY_COUNT) section.keyDown[n] = down;
}

void noteOff(KeyboardSection& section, int32_t n) {
    setKeyFlag(section, n, 0);
    sendNote(section, n, 0);
}

void noteOn(KeyboardSection& section, int32_t n) {
    setKeyFlag(section, n, 1);
    sendNote(section, n, 1);
}

int32_t noteCount(int32_t quality) { return ChordTable[quality].count; }

// Whether note index n also belongs to the chord started last.
bool inLastChord(const KeyboardSection& section, int32_t n, int32_t capsFold) {
    const int32_t quality = section.keyChordQuality[lastChordKey];
    for (int32_t j = 0; j < noteCount(quality); ++j) {
        if (chordNoteIndex(lastChordKey, quality, j, capsFold) == n) return true;
    }
    return false;
}

} // namespace

int32_t chordNoteIndex(int32_t root, int32_t quality, int32_t position, int32_t capsFold) {
    const int32_t n = root + ChordTable[quality].intervals[position];
    return capsFold && n >= OCTAVE ? n - OCTAVE : n;
}

void pressChord(int32_t s, int32_t k) {
    KeyboardSection& section = sections[s];
    chordQuality = controlHeld() ? MINOR_CHORD : MAJOR_CHORD;
    const int32_t capsFold = capsFoldNow();
    // The chord started last stops first, even if it is this very key or
    // its key was let go long ago; lastChordKey is shared by both sections.
    const int32_t lastQuality = section.keyChordQuality[lastChordKey];
    for (int32_t i = 0; i < noteCount(lastQuality); ++i) {
        noteOff(section, chordNoteIndex(lastChordKey, lastQuality, i, capsFold));
    }
    section.keyChordQuality[k] = (uint8_t)chordQuality;
    for (int32_t i = 0; i < noteCount(chordQuality); ++i) noteOn(section, chordNoteIndex(k, chordQuality, i, capsFold));
    lastChordKey = k;
}

void releaseChord(int32_t s, int32_t k) {
    KeyboardSection& section = sections[s];
    const int32_t capsFold = capsFoldNow();
    const int32_t quality = section.keyChordQuality[k];
    for (int32_t i = 0; i < noteCount(quality); ++i) {
        const int32_t n = chordNoteIndex(k, quality, i, capsFold);
        // Held over into the newer chord (legato): that chord still sounds it.
        if (k != lastChordKey && inLastChord(section, n, capsFold)) continue;
        noteOff(section, n);
    }
}
