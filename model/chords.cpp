#include "model/chords.h"

#include "model/key_map.h"
#include "model/keys.h"
#include "model/note_ledger.h"

static_assert(MAX_VOICES >= sizeof ChordShape::intervals, "the ledger holds a whole chord");

const ChordShape ChordTable[2] = {
    {3, {0, 3, 7, 0, 0}}, // minor
    {3, {0, 4, 7, 0, 0}}, // major
};

namespace {

const int32_t OCTAVE = 12;

} // namespace

int32_t chordNoteIndex(int32_t root, int32_t quality, int32_t position, bool capsFold) {
    const int32_t n = root + ChordTable[quality].intervals[position];
    return capsFold ? n % OCTAVE : n;
}

PanelChange pressChord(int32_t keyId, int32_t s, int32_t offset, bool minor, bool capsFold) {
    KeyboardSection& section = g_model.sections[s];
    g_model.chordQuality = minor ? MINOR_CHORD : MAJOR_CHORD;
    // The section's chord started last stops first, notes it shares with
    // this one included: chords follow one another rather than pile up.
    PanelChange change = repaint(keyBedsOf(s));
    if (section.lastChordKey != NO_KEY) {
        const KeyVoices& previous = g_model.held[section.lastChordKey];
        if (previous.chord && previous.section == s) change = change | releaseKey(section.lastChordKey);
    }
    change = change | releaseKey(keyId); // pressed again without a release
    KeyVoices& owner = g_model.held[keyId];
    const ChordShape& shape = ChordTable[g_model.chordQuality];
    for (int32_t i = 0; i < shape.count; ++i) {
        startVoice(owner, s, chordNoteIndex(offset, g_model.chordQuality, i, capsFold));
    }
    owner.chord = true;
    section.lastChordKey = keyId;
    return change;
}
