#include "model/parameters.h"

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
    if (value < selectedCount() - 1) ++value;
    // Committed at the bound too: + on the top patch re-sends the program.
    return commitSelected(AREA_WHOLE_PANEL);
}

PanelChange stepSelectedDown(int32_t s) {
    g_model.activeSection = s;
    int32_t& value = selectedValue();
    if (value > 0) --value;
    return commitSelected(AREA_WHOLE_PANEL);
}

PanelChange setSelectedValue(int32_t v) {
    selectedValue() = v;
    return commitSelected(AREA_WHOLE_PANEL); // its display and the knob
}

PanelChange knobStep(int32_t direction) {
    int32_t& value = selectedValue();
    const int32_t top = selectedCount() - 1;
    int32_t v = value + direction;
    if (direction > 0 && v >= top) v = top;
    if (direction < 0 && v < 0) v = 0;
    value = v;
    applyPatch(g_model.sections[g_model.activeSection]);
    g_model.knobOnDragScale = true;
    // Both displays, as two sections on one channel share its patch.
    return settingChanged(AREA_KNOB | AREA_DISPLAY_0 | AREA_DISPLAY_1);
}

PanelChange toggleChordMode(int32_t s) {
    int32_t& chord = g_model.sections[s].values[ParamId::CHORD];
    chord = chord == 0 ? 1 : 0;
    return settingChanged(displayArea(s)); // it shows ON or OFF
}

PanelChange switchActiveSection() {
    g_model.activeSection = g_model.activeSection == 0 ? 1 : 0;
    return knobAtSelected(AREA_WHOLE_PANEL); // both lamps change
}
