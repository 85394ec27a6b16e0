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
constexpr int32_t NOTE_COUNT = 128;
// The offsets above a section's base note that its key beds can show:
// Single shows two rows an octave apart.
constexpr int32_t SHOWN_OFFSETS = 12 + KEY_COUNT;

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
    int32_t velocity = 0; // its note-off goes out as it was struck; at 0 it was not sent
    int32_t offset = 0;   // above the section's base note, where a key bed shows it
};

// The notes one computer key's press started and still owns.
struct KeyVoices {
    int32_t count = 0;
    bool chord = false; // the next chord pressed in the section ends it
    int32_t section = 0;
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
    // By offset, how many keys sound it: drawn pressed while any does.
    uint8_t keyDown[SHOWN_OFFSETS] = {};
    // By ParamId: Channel..Transpose, and Chord (0 off). Patch has no value
    // here: a section plays the patch of its channel (ChannelPatchTable).
    int32_t values[PARAM_COUNT] = {};
    int32_t selectedParam = ParamId::PATCH; // what the knob, + and - and the menus change
    int32_t lastChordKey = NO_KEY;          // the computer key of the section's chord started last
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
    // The note ledger, by computer key: what each key's press set sounding.
    KeyVoices held[KEY_ID_COUNT] = {};
    // How many keys hold each note of each channel: it ends with the last.
    uint16_t noteHolds[CHANNEL_COUNT][NOTE_COUNT] = {};
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
inline bool chordModeOn(int32_t s) { return paramValue(g_model.sections[s], ParamId::CHORD) != 0; }
