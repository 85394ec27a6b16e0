// The performance model: two keyboard sections with their parameters, and
// the little state both sections share. Changing a parameter ends in the
// program change it calls for and a new knob position; nothing here draws.
#pragma once

#include "platform/win32.h"

#include <cstdint>

constexpr int SECTION_COUNT = 2;
constexpr int KEY_COUNT = 17;
constexpr int PARAM_COUNT = 8;
constexpr int SELECTABLE_PARAM_COUNT = 5; // Patch..Transpose

namespace ParamId {
enum : int32_t { Patch, Channel, Octave, Volume, Transpose, Chord, Plus, Minus };
}

struct ParamSlot {
    int32_t value;
    int32_t count; // values run 0..count-1; 0 for Chord, Plus and Minus
    RECT buttonRect;
};

struct KeyboardSection {
    uint8_t scanCodes[KEY_COUNT];       // set-1 scan code playing key index k
    uint8_t keyDown[KEY_COUNT];         // 1 while key k sounds
    uint8_t keyChordQuality[KEY_COUNT]; // chord quality key k was pressed with
    ParamSlot params[PARAM_COUNT];      // indexed by ParamId
    RECT lcdRect;
    RECT keyboardRect;
    int32_t selectedParam; // a ParamId from Patch to Transpose
};

extern KeyboardSection sections[SECTION_COUNT];
extern int32_t activeSection; // the section knob, menus, Tab and bend act on
extern int32_t chordQuality;  // ChordTable index of the next chord: 1 major, 0 minor
extern int32_t lastChordKey;  // root key index of the chord started last
extern int32_t bendValue;     // pitch bend last sent, 0..16383, centre 8192
extern int32_t bendTarget;    // where the keyboard bend gesture is heading

// The computer keys of each section, by key index (PC scan-code set 1).
extern const uint8_t SectionScanCodes[SECTION_COUNT][KEY_COUNT];

inline int32_t paramValue(const KeyboardSection& section, int32_t id) { return section.params[id].value; }
ParamSlot& selectedSlot();

void initSections();
void selectParam(int32_t s, int32_t id);
void stepSelectedUp(int32_t s);
void stepSelectedDown(int32_t s);
void setSelectedValue(int32_t v);
void commitSelected();
void knobStep(int32_t direction);
void toggleChordMode(HWND window, int32_t s);
void switchActiveSection(HWND window);
bool keyInRange(int32_t s, int32_t k);
