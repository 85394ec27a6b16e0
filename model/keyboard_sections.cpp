#include "model/keyboard_sections.h"

#include "display/knob_indicator.h"
#include "display/panel_layout.h"
#include "display/panel_surfaces.h"
#include "model/midi_messages.h"

#include <cstring>

KeyboardSection sections[SECTION_COUNT];
int32_t activeSection = 0;
int32_t chordQuality = 1;
int32_t lastChordKey = 0;
int32_t bendValue = 8192;
int32_t bendTarget = 8192;

const uint8_t SectionScanCodes[SECTION_COUNT][KEY_COUNT] = {
    // Q 2 W 3 E R 5 T 6 Y 7 U I 9 O 0 P
    {0x10, 0x03, 0x11, 0x04, 0x12, 0x13, 0x06, 0x14, 0x07, 0x15, 0x08, 0x16, 0x17, 0x0A, 0x18, 0x0B, 0x19},
    // Z S X D C V G B H N J M , L . ; /
    {0x2C, 0x1F, 0x2D, 0x20, 0x2E, 0x2F, 0x22, 0x30, 0x23, 0x31, 0x24, 0x32, 0x33, 0x26, 0x34, 0x27, 0x35},
};

namespace {

struct ParamStart {
    int32_t value;
    int32_t count;
};

const ParamStart START_PARAMS[SELECTABLE_PARAM_COUNT] = {
    {0, 128},   // Patch
    {0, 16},    // Channel
    {5, 11},    // Octave
    {127, 128}, // Volume
    {0, 12},    // Transpose
};

const int LCD_RECTS[SECTION_COUNT] = {LAYOUT_LCD_0, LAYOUT_LCD_1};
const int KEY_BED_RECTS[SECTION_COUNT] = {LAYOUT_KEY_BED_0, LAYOUT_KEY_BED_1};
const int BUTTON_RECTS[SECTION_COUNT] = {LAYOUT_SECTION_0_BUTTONS, LAYOUT_SECTION_1_BUTTONS};

void moveKnobToSelected() {
    const ParamSlot& slot = selectedSlot();
    updateKnobIndicator((uint32_t)slot.value, (uint32_t)slot.count);
}

} // namespace

ParamSlot& selectedSlot() {
    KeyboardSection& section = sections[activeSection];
    return section.params[section.selectedParam];
}

void initSections() {
    std::memset(ChannelPatchTable, 0, sizeof ChannelPatchTable);
    for (int s = 0; s < SECTION_COUNT; ++s) {
        KeyboardSection& section = sections[s];
        std::memcpy(section.scanCodes, SectionScanCodes[s], sizeof section.scanCodes);
        std::memset(section.keyDown, 0, sizeof section.keyDown);
        for (int id = 0; id < SELECTABLE_PARAM_COUNT; ++id) {
            section.params[id].value = START_PARAMS[id].value;
            section.params[id].count = START_PARAMS[id].count;
        }
        for (int id = 0; id < PARAM_COUNT; ++id) section.params[id].buttonRect = PanelLayout[BUTTON_RECTS[s] + id];
        section.lcdRect = PanelLayout[LCD_RECTS[s]];
        section.keyboardRect = PanelLayout[KEY_BED_RECTS[s]];
        section.selectedParam = ParamId::Patch;
    }
}

void selectParam(int32_t s, int32_t id) {
    sections[s].selectedParam = id;
    activeSection = s;
    moveKnobToSelected();
}

void stepSelectedUp(int32_t s) {
    activeSection = s;
    ParamSlot& slot = selectedSlot();
    if (slot.value < slot.count - 1) ++slot.value;
    // Committed at the bound too: + on the top patch re-sends the program.
    commitSelected();
}

void stepSelectedDown(int32_t s) {
    activeSection = s;
    ParamSlot& slot = selectedSlot();
    if (slot.value > 0) --slot.value;
    commitSelected();
}

void setSelectedValue(int32_t v) {
    selectedSlot().value = v;
    commitSelected();
}

void commitSelected() {
    applyPatch(sections[activeSection]);
    moveKnobToSelected(); // applyPatch may have changed the value
}

void knobStep(int32_t direction) {
    ParamSlot& slot = selectedSlot();
    const int32_t top = slot.count - 1;
    int32_t v = slot.value + direction;
    if (direction > 0 && v >= top) v = top;
    if (direction < 0 && v < 0) v = 0;
    slot.value = v;
    SetCursor(handCursor);
    applyPatch(sections[activeSection]);
    // The drag's own scale: the top value sits at the very end of the sweep.
    updateKnobIndicator((uint32_t)v, (uint32_t)top);
}

void toggleChordMode(HWND window, int32_t s) {
    int32_t& chord = sections[s].params[ParamId::Chord].value;
    chord = chord == 0 ? 1 : 0;
    InvalidateRect(window, &sections[s].lcdRect, FALSE);
}

void switchActiveSection(HWND window) {
    activeSection = activeSection == 0 ? 1 : 0;
    moveKnobToSelected();
    InvalidateRect(window, nullptr, FALSE); // both lamps change
}

bool keyInRange(int32_t s, int32_t k) { return paramValue(sections[s], ParamId::Octave) * 12 + k <= 127; }
