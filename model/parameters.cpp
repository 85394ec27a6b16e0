#include "model/parameters.h"

#include "model/chords.h"
#include "model/midi_messages.h"
#include "model/modulation.h"

namespace {

// Every operation here changes something kept between runs, and may have
// moved the active section to another channel.
PanelChange settingChanged(uint32_t areas) {
    endModulationElsewhere();
    markSettingsChanged();
    return repaint(areas);
}

// The knob shows the selected parameter's value out of its count.
PanelChange knobAtSelected(uint32_t areas) {
    g_model.knobOnDragScale = false;
    return settingChanged(areas);
}

PanelChange commitSelected(uint32_t areas) {
    applyPatch(g_model.sections[g_model.activeSection]);
    return knobAtSelected(areas);
}

// The active section's selected value has changed from `before`. Chord mode
// remembers the type it was last on, for CHORD; the chord a latch holds
// ends when chord mode goes off or the channel changes under it.
PanelChange valueSettled(int32_t before) {
    const int32_t s = g_model.activeSection;
    KeyboardSection& section = g_model.sections[s];
    const int32_t value = selectedValue();
    if (section.selectedParam == ParamId::CHORD && value != ChordType::OFF) section.lastChordType = value;
    const bool chordOff = section.selectedParam == ParamId::CHORD && value == ChordType::OFF;
    const bool channelMoved = section.selectedParam == ParamId::CHANNEL && value != before;
    return chordOff || channelMoved ? endLatch(s) : PanelChange{};
}

} // namespace

int32_t& selectedValue() {
    KeyboardSection& section = g_model.sections[g_model.activeSection];
    const int32_t id = section.selectedParam;
    return id == ParamId::PATCH ? g_model.ChannelPatchTable[section.values[ParamId::CHANNEL]] : section.values[id];
}

int32_t selectedCount() { return paramCount(g_model.sections[g_model.activeSection].selectedParam); }

PanelChange selectParam(int32_t s, int32_t id) {
    g_model.sections[s].selectedParam = id;
    g_model.activeSection = s;
    return knobAtSelected(AREA_WHOLE_PANEL); // the marker, and maybe the lamps
}

PanelChange selectNeighbour(int32_t direction) {
    const int32_t s = g_model.activeSection;
    const int32_t id = g_model.sections[s].selectedParam + direction;
    return selectParam(s, id < 0 ? 0 : id >= SELECTABLE_PARAM_COUNT ? SELECTABLE_PARAM_COUNT - 1 : id);
}

PanelChange stepSelectedUp(int32_t s) {
    g_model.activeSection = s;
    int32_t& value = selectedValue();
    const int32_t before = value;
    if (value < selectedCount() - 1) ++value;
    const PanelChange ended = valueSettled(before);
    // Committed at the bound too: + on the top patch re-sends the program.
    return ended | commitSelected(AREA_WHOLE_PANEL);
}

PanelChange stepSelectedDown(int32_t s) {
    g_model.activeSection = s;
    int32_t& value = selectedValue();
    const int32_t before = value;
    if (value > 0) --value;
    const PanelChange ended = valueSettled(before);
    return ended | commitSelected(AREA_WHOLE_PANEL);
}

PanelChange setSelectedValue(int32_t v) {
    const int32_t before = selectedValue();
    selectedValue() = v;
    const PanelChange ended = valueSettled(before);
    return ended | commitSelected(AREA_WHOLE_PANEL); // its display and the knob
}

PanelChange choosePatch(int32_t patch) {
    int32_t& selected = g_model.sections[g_model.activeSection].selectedParam;
    const int32_t was = selected;
    selected = ParamId::PATCH; // for the while: the choice is the PATCH menu's
    const PanelChange change = setSelectedValue(patch);
    selected = was;
    return change;
}

PanelChange knobStep(int32_t direction) {
    int32_t& value = selectedValue();
    const int32_t top = selectedCount() - 1;
    int32_t v = value + direction;
    if (direction > 0 && v >= top) v = top;
    if (direction < 0 && v < 0) v = 0;
    const int32_t before = value;
    value = v;
    const PanelChange ended = valueSettled(before);
    applyPatch(g_model.sections[g_model.activeSection]);
    g_model.knobOnDragScale = true;
    // Both displays, as two sections on one channel share its patch.
    return ended | settingChanged(AREA_KNOB | AREA_DISPLAY_0 | AREA_DISPLAY_1);
}

PanelChange toggleChordMode(int32_t s) {
    KeyboardSection& section = g_model.sections[s];
    int32_t& chord = section.values[ParamId::CHORD];
    chord = chord == ChordType::OFF ? section.lastChordType : ChordType::OFF;
    const PanelChange ended = chord == ChordType::OFF ? endLatch(s) : PanelChange{};
    // It shows the chord type; the knob too while it is the setting selected.
    const bool knobShowsIt = g_model.activeSection == s && section.selectedParam == ParamId::CHORD;
    return ended | settingChanged(displayArea(s) | (knobShowsIt ? (uint32_t)AREA_KNOB : 0u));
}

PanelChange switchActiveSection() {
    g_model.activeSection = g_model.activeSection == 0 ? 1 : 0;
    return knobAtSelected(AREA_WHOLE_PANEL); // both lamps change
}
