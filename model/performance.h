// What the performance model remembers: the two keyboard sections with their
// parameters, and the little state both sections share. The model holds no
// window, device or drawing object: it sends MIDI through the port and
// reports what it changed on the panel as a PanelChange.
#pragma once

#include "model/key_ids.h"

#include <cstdint>

constexpr int SECTION_COUNT = 2;
constexpr int KEY_COUNT = 17;
constexpr int PARAM_COUNT = 8;
constexpr int SELECTABLE_PARAM_COUNT = 6; // Patch..Chord
constexpr int32_t CHANNEL_COUNT = 16;
constexpr int32_t OCTAVE_COUNT = 11;
constexpr int32_t PERCUSSION_CHANNEL = 9; // shown as channel 10; its patch is always 0
constexpr int32_t NO_CHANNEL = -1;
constexpr int32_t BEND_CENTRE = 8192;
constexpr int32_t BEND_MAX = 16383;
constexpr int MAX_VOICES = 5; // the most notes one key's press can start
constexpr int32_t STRUM_MAX_MS = 60;
constexpr int32_t NOTE_COUNT = 128;
constexpr int32_t MIDDLE_C = 60;          // an incoming middle C plays a section's base note
constexpr int32_t SPLIT_NOTE_START = 60;  // incoming notes from here up play the right section
constexpr int32_t SOFT_VOLUME_START = 64; // the velocity Shift plays at, until the settings say another
constexpr int32_t MODULATION_TOP = 127;
constexpr int32_t BANK_COUNT = 128 * 128; // a bank is its MSB × 128 + its LSB
// The offsets above a section's base note that its key beds can show:
// Single shows two rows an octave apart.
constexpr int32_t SHOWN_OFFSETS = 12 + KEY_COUNT;

namespace ParamId {
enum : int32_t { PATCH, CHANNEL, OCTAVE, VOLUME, TRANSPOSE, CHORD, PLUS, MINUS };
}

// A section's chord mode, the Chord value: off, or the chord its keys play,
// in the order the arrows step through them (ChordTable).
namespace ChordType {
enum : int32_t { OFF, MAJOR, MINOR, SEVENTH, MAJOR_SEVENTH, MINOR_SEVENTH, SUS2, SUS4, DIMINISHED, AUGMENTED, COUNT };
}

struct ParamSlot {
    int32_t value = 0;
    int32_t count = 0; // values run 0..count-1
};

// The start value and the range of each parameter the knob can select.
inline constexpr ParamSlot START_PARAMS[SELECTABLE_PARAM_COUNT] = {
    {0, 128},           // Patch
    {0, CHANNEL_COUNT}, // Channel
    {5, OCTAVE_COUNT},  // Octave
    {127, 128},         // Volume
    {0, 12},            // Transpose
    // Chord: off, or the type of chord its keys play
    {ChordType::OFF, ChordType::COUNT},
};

// One note a key's press set sounding, as it went out: its release ends
// exactly this note, whatever changed in between.
struct Voice {
    int32_t channel = 0;
    int32_t note = 0;     // above 127 it was not sent, yet its key still lights
    int32_t velocity = 0; // its note-off goes out as it was struck; at 0 it was not sent
    int32_t offset = 0;   // above the section's base note, where a key bed shows it
};

// The notes one computer key's press started and still owns.
struct KeyVoices {
    int32_t count = 0;
    bool chord = false; // the next chord pressed in the section ends it
    bool soft = false;  // pressed with Shift held: every note of it at the section's soft volume
    int32_t section = 0;
    Voice voices[MAX_VOICES] = {};
    // A chord's notes by offset, lowest first: the first count of them have
    // started, the next at strumStart + count * strumGap (performance
    // counter), so a release or the next chord starts no more.
    int32_t chordSize = 0;
    int32_t chordOffsets[MAX_VOICES] = {};
    int64_t strumStart = 0;
    int64_t strumGap = 0;
    // An input note's velocity, at which each of its notes is struck; 0:
    // the section's VOLUME.
    int32_t velocity = 0;
};

// The sustain pedal as it went down: it comes up on the channel it went
// down on, whatever changed in between.
struct Pedal {
    bool down = false;
    int32_t channel = 0;
    int32_t section = 0; // the section active at the press, whose display shows it
};

// A control of the input's, its bend or its modulation, joined with the
// keyboard's where both move a channel: it comes back to rest on the
// channels it went out on.
struct InputControl {
    int32_t value = 0;     // away from rest: the bend from its centre, the modulation from 0
    uint16_t channels = 0; // by channel bit, those it holds away from rest
};

struct KeyboardSection {
    // By offset, how many keys sound it: drawn pressed while any does.
    uint8_t keyDown[SHOWN_OFFSETS] = {};
    // By ParamId: Channel..Transpose, and Chord (a ChordType, OFF 0). Patch
    // has no value here: a section plays the patch of its channel
    // (ChannelPatchTable).
    int32_t values[PARAM_COUNT] = {};
    int32_t selectedParam = ParamId::PATCH; // what the knob, + and - and the menus change
    int32_t lastChordKey = NO_KEY;          // the computer key of the section's chord started last
    // What CHORD turns chord mode back on to.
    int32_t lastChordType = ChordType::MAJOR;
    // Between two notes of a chord, lowest first; 0: all at once.
    int32_t strumMs = 0;
    // A chord sounds on after its key is let go, until the section's next.
    bool latch = false;
    int32_t softVolume = SOFT_VOLUME_START; // the velocity of a press with Shift held, 1..127
};

// The modulation wheel as Home moves it: it falls back on the channel it
// rose on, whatever changed in between.
struct Modulation {
    int32_t value = 0;            // controller 1 as last sent, 0..127
    int32_t target = 0;           // 127 while Home is held, 0 once it is let go
    int32_t channel = NO_CHANNEL; // the channel it moves on; none while it rests at 0
};

// A channel's bank goes out as controllers 0 and 32 right before each of
// its program changes; a channel without one sends the program alone.
struct ChannelBank {
    bool set = false;
    int32_t number = 0; // 0..BANK_COUNT-1
};

struct PerformanceModel {
    KeyboardSection sections[SECTION_COUNT] = {}; // 0 left, 1 right
    int32_t activeSection = 0;                    // the section knob, menus, Tab and bend act on
    int32_t bendValue = BEND_CENTRE;              // pitch bend last sent, 0..16383
    int32_t bendTarget = BEND_CENTRE;             // where the keyboard bend gesture is heading
    int32_t bentChannel = NO_CHANNEL;             // the one channel a bend holds away from the centre
    // The knob shows the active section's selected value out of its count;
    // after a drag, on the drag's own scale, whose top value sits at the
    // very end of the sweep.
    bool knobOnDragScale = false;
    Pedal sustain; // Space
    // How many pedals hold each channel's sustain down: Space and the
    // input's, which goes down on the channels playing input (inputPedal).
    uint8_t pedalHolds[CHANNEL_COUNT] = {};
    uint16_t inputPedal = 0;              // by channel bit
    InputControl inputBend;               // added to the keyboard's
    InputControl inputModulation;         // Home's or the input's, whichever is the deeper
    int32_t splitNote = SPLIT_NOTE_START; // with Split and Custom, incoming notes below it play the left section
    // Shift held at the press being played: its notes go out at the
    // section's soft volume rather than its VOLUME.
    bool softTouch = false;
    Modulation modulation; // Home
    ChannelBank channelBanks[CHANNEL_COUNT] = {};
    // The program remembered per MIDI channel, shared by both sections: two
    // sections on one channel always play one patch.
    int32_t ChannelPatchTable[CHANNEL_COUNT] = {};
    // The note ledger, by computer key: what each key's press set sounding;
    // after them each section's latched chord (latchOf), then each incoming
    // note's (inputSlotOf).
    KeyVoices held[KEY_ID_COUNT + SECTION_COUNT + NOTE_COUNT] = {};
    // How many keys hold each note of each channel: it ends with the last.
    uint16_t noteHolds[CHANNEL_COUNT][NOTE_COUNT] = {};
    // The velocity each sounding note was struck with, and its note-off's,
    // whichever key lets it go last.
    uint8_t noteVelocity[CHANNEL_COUNT][NOTE_COUNT] = {};
    // A setter changed something kept between runs: the window side saves it.
    bool settingsChanged = false;
    // Scroll Lock armed playing behind other windows: the displays say so.
    bool backgroundArmed = false;
};

extern PerformanceModel g_model;

// Both sections in their start state: parameters, Patch selected.
void initSections();

// A parameter's value as the section plays it; its Patch is its channel's.
inline int32_t paramValue(const KeyboardSection& section, int32_t id) {
    return id == ParamId::PATCH ? g_model.ChannelPatchTable[section.values[ParamId::CHANNEL]] : section.values[id];
}
inline int32_t paramCount(int32_t id) { return START_PARAMS[id].count; }

// Whether a setter changed a setting since the last look; the look clears it.
inline bool takeSettingsChange() {
    const bool changed = g_model.settingsChanged;
    g_model.settingsChanged = false;
    return changed;
}
inline void markSettingsChanged() { g_model.settingsChanged = true; }
inline bool chordModeOn(int32_t s) { return paramValue(g_model.sections[s], ParamId::CHORD) != ChordType::OFF; }
// Where section s keeps the chord its latch holds, in the ledger after the keys.
inline int32_t latchOf(int32_t s) { return KEY_ID_COUNT + s; }
// Where the ledger keeps what incoming note n sounds, whatever its channel.
constexpr int32_t INPUT_SLOTS = KEY_ID_COUNT + SECTION_COUNT;
inline int32_t inputSlotOf(int32_t n) { return INPUT_SLOTS + n; }
