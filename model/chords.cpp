#include "model/chords.h"

#include "model/key_map.h"
#include "model/keys.h"
#include "model/note_ledger.h"
#include "port/take_recorder.h"

#include <algorithm>
#include <cstdint>

static_assert(MAX_VOICES >= MAX_CHORD_NOTES, "the ledger holds a whole chord");

const ChordShape ChordTable[ChordType::COUNT] = {
    {0, {}, false},            // Off
    {3, {0, 4, 7}, true},      // Major
    {3, {0, 3, 7}, false},     // Minor
    {4, {0, 4, 7, 10}, true},  // 7
    {4, {0, 4, 7, 11}, true},  // Maj7
    {4, {0, 3, 7, 10}, false}, // Min7
    {3, {0, 2, 7}, false},     // Sus2
    {3, {0, 5, 7}, false},     // Sus4
    {3, {0, 3, 6}, false},     // Dim
    {3, {0, 4, 8}, false},     // Aug: with a minor third it would be another chord
};

namespace {

const int32_t OCTAVE = 12;
const int32_t MAJOR_THIRD = 4;

int64_t counterFrequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

// Starts the notes of the key's chord that are due by `now`.
void startDueNotes(KeyVoices& owner, int64_t now) {
    while (owner.count < owner.chordSize && owner.strumStart + owner.count * owner.strumGap <= now) {
        startVoice(owner, owner.section, owner.chordOffsets[owner.count]);
    }
}

// The ledger entry of section s's chord started last, if it still waits
// to start a note.
KeyVoices* strumOf(int32_t s) {
    const int32_t keyId = g_model.sections[s].lastChordKey;
    if (keyId == NO_KEY) return nullptr;
    KeyVoices& owner = g_model.held[keyId];
    return owner.chord && owner.section == s && owner.count < owner.chordSize ? &owner : nullptr;
}

} // namespace

int32_t chordOffsets(int32_t root, int32_t type, bool minor, bool capsFold, int32_t (&offsets)[MAX_VOICES]) {
    const ChordShape& shape = ChordTable[type];
    for (int32_t i = 0; i < shape.count; ++i) {
        int32_t interval = shape.intervals[i];
        if (minor && shape.minorWithCtrl && interval == MAJOR_THIRD) --interval;
        offsets[i] = capsFold ? (root + interval) % OCTAVE : root + interval;
    }
    // The fold can take a higher note below the root: a strum goes up.
    std::sort(offsets, offsets + shape.count);
    return shape.count;
}

PanelChange pressChord(int32_t keyId, int32_t s, int32_t offset, bool minor, bool capsFold, int32_t velocity) {
    KeyboardSection& section = g_model.sections[s];
    // The section's chord started last stops first, notes it shares with
    // this one included: chords follow one another rather than pile up.
    // A strum of it still under way starts no more.
    PanelChange change = repaint(keyBedsOf(s));
    if (section.lastChordKey != NO_KEY) {
        const KeyVoices& previous = g_model.held[section.lastChordKey];
        if (previous.chord && previous.section == s) change = change | releaseKey(section.lastChordKey);
    }
    change = change | releaseKey(keyId); // pressed again without a release
    KeyVoices& owner = g_model.held[keyId];
    owner.chord = true;
    owner.section = s;
    owner.velocity = velocity;
    owner.chordSize = chordOffsets(offset, paramValue(section, ParamId::CHORD), minor, capsFold, owner.chordOffsets);
    // The clock only for a strum: a chord at once asks the system nothing.
    if (section.strumMs > 0) {
        owner.strumStart = performanceCounterNow();
        owner.strumGap = section.strumMs * counterFrequency() / 1000;
    }
    startDueNotes(owner, owner.strumStart);
    section.lastChordKey = keyId;
    return change;
}

PanelChange letGoOfKey(int32_t keyId) {
    const KeyVoices& owner = g_model.held[keyId];
    const int32_t s = owner.section;
    KeyboardSection& section = g_model.sections[s];
    if (!owner.chord || !section.latch || !chordModeOn(s) || section.lastChordKey != keyId) return releaseKey(keyId);
    // The chord moves from the key to the section, its notes and a strum
    // under way with it: the key is free to play again, anywhere.
    const PanelChange ended = endLatch(s);
    g_model.held[latchOf(s)] = owner;
    g_model.held[keyId] = KeyVoices{};
    section.lastChordKey = latchOf(s);
    return ended;
}

PanelChange endLatch(int32_t s) { return releaseKey(latchOf(s)); }

PanelChange startDueStrumNotes(int64_t now) {
    PanelChange change;
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        KeyVoices* owner = strumOf(s);
        if (!owner) continue;
        startDueNotes(*owner, now);
        change = change | repaint(keyBedsOf(s));
    }
    return change;
}

bool nextStrumNote(int64_t* due) {
    bool waiting = false;
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        const KeyVoices* owner = strumOf(s);
        if (!owner) continue;
        const int64_t next = owner->strumStart + owner->count * owner->strumGap;
        if (!waiting || next < *due) *due = next;
        waiting = true;
    }
    return waiting;
}

void stopStrums() {
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        if (KeyVoices* owner = strumOf(s)) owner->chordSize = owner->count;
    }
}
