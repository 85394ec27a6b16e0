// What the performance model remembers: the two keyboard sections with their
// parameters, and the little state both sections share. The model holds no
// window, device or drawing object: it sends MIDI through the port and
// reports what it changed on the panel as a PanelChange.
#pragma once

#include <cstdint>

constexpr int SECTION_COUNT = 2;
constexpr int KEY_COUNT = 17;
constexpr int PARAM_COUNT = 8;
constexpr int SELECTABLE_PARAM_COUNT = 5; // Patch..Transpose
constexpr int32_t CHANNEL_COUNT = 16;
constexpr int32_t OCTAVE_COUNT = 11;
constexpr int32_t PERCUSSION_CHANNEL = 9; // shown as channel 10; its patch is always 0
constexpr int32_t NO_CHANNEL = -1;
constexpr int32_t BEND_CENTRE = 8192;
constexpr int32_t BEND_MAX = 16383;
constexpr int32_t MINOR_CHORD = 0; // chord qualities, indices into ChordTable
constexpr int32_t MAJOR_CHORD = 1;
constexpr int MAX_VOICES = 5; // the most notes one key's press can start

namespace ParamId {
enum : int32_t { PATCH, CHANNEL, OCTAVE, VOLUME, TRANSPOSE, CHORD, PLUS, MINUS };
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
};

// One note a key's press set sounding, as it went out: its release ends
// exactly this note, whatever changed in between.
struct Voice {
    int32_t channel = 0;
    int32_t note = 0;     // above 127 it was not sent, yet its key still lights
    int32_t keyIndex = 0; // the note's place on the key bed; only 0..16 have a flag
};

// The notes one key's press started and still owns.
struct KeyVoices {
    int32_t count = 0;
    bool chord = false; // the next chord pressed in the section ends it
    Voice voices[MAX_VOICES] = {};
};

// The sustain pedal as it went down: it comes up on the channel it went
// down on, whatever changed in between.
struct Pedal {
    bool down = false;
    int32_t channel = 0;
    int32_t section = 0; // the section active at the press, whose display shows it
};

struct KeyboardSection {
    uint8_t scanCodes[KEY_COUNT] = {}; // set-1 scan code playing key index k
    bool keyDown[KEY_COUNT] = {};      // key k sounds, and is drawn pressed
    // By ParamId: Channel..Transpose, and Chord (0 off). Patch has no value
    // here: a section plays the patch of its channel (ChannelPatchTable).
    int32_t values[PARAM_COUNT] = {};
    int32_t selectedParam = ParamId::PATCH; // what the knob, + and - and the menus change
    KeyVoices sounding[KEY_COUNT] = {};     // the note ledger, by key index
    int32_t lastChordKey = 0;               // root key index of the section's chord started last
};

struct PerformanceModel {
    KeyboardSection sections[SECTION_COUNT] = {}; // 0 left, 1 right
    int32_t activeSection = 0;                    // the section knob, menus, Tab and bend act on
    int32_t chordQuality = MAJOR_CHORD;           // quality of the chord being pressed
    int32_t bendValue = BEND_CENTRE;              // pitch bend last sent, 0..16383
    int32_t bendTarget = BEND_CENTRE;             // where the keyboard bend gesture is heading
    int32_t bentChannel = NO_CHANNEL;             // the one channel a bend holds away from the centre
    // The knob shows the active section's selected value out of its count;
    // after a drag, on the drag's own scale, whose top value sits at the
    // very end of the sweep.
    bool knobOnDragScale = false;
    Pedal sustain; // Space
    // The program remembered per MIDI channel, shared by both sections: two
    // sections on one channel always play one patch.
    int32_t ChannelPatchTable[CHANNEL_COUNT] = {};
    // A setter changed something kept between runs: the window side saves it.
    bool settingsChanged = false;
};

extern PerformanceModel g_model;

// The computer keys of each section, by key index (PC scan-code set 1).
extern const uint8_t SECTION_SCAN_CODES[SECTION_COUNT][KEY_COUNT];

// Both sections in their start state: key maps, parameters, Patch selected.
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
inline bool chordModeOn(int32_t s) { return paramValue(g_model.sections[s], ParamId::CHORD) != 0; }
