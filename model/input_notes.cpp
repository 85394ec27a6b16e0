#include "model/input_notes.h"

#include "model/chords.h"
#include "model/key_map.h"
#include "model/keys.h"
#include "model/midi_messages.h"
#include "model/performance.h"

namespace {

// The channels of the sections that play input, by bit.
uint16_t inputChannels() {
    const auto bit = [](int32_t s) { return (uint16_t)(1u << paramValue(g_model.sections[s], ParamId::CHANNEL)); };
    return g_keyMap.layout == KEYS_SINGLE ? bit(g_model.activeSection) : (uint16_t)(bit(0) | bit(1));
}

// The control goes out on the channels playing input now, and comes back
// to rest on those it held before.
void moveInputControl(InputControl& control, int32_t value, void (*sendOn)(int32_t channel)) {
    const uint16_t now = inputChannels();
    const uint16_t touched = (uint16_t)(control.channels | now);
    control.value = value;
    control.channels = value != 0 ? now : 0;
    for (int32_t channel = 0; channel < CHANNEL_COUNT; ++channel) {
        if (touched >> channel & 1) sendOn(channel);
    }
}

} // namespace

int32_t inputSection(int32_t n) {
    if (g_keyMap.layout == KEYS_SINGLE) return g_model.activeSection;
    return n < g_model.splitNote ? 0 : 1;
}

PanelChange playInputNote(int32_t n, int32_t velocity) {
    const int32_t s = inputSection(n);
    if (!chordModeOn(s)) return pressNote(inputSlotOf(n), s, n - MIDDLE_C, velocity);
    return pressChord(inputSlotOf(n), s, n - MIDDLE_C, false, false, velocity);
}

PanelChange endInputNote(int32_t n) { return letGoOfKey(inputSlotOf(n)); }

void holdInputPedal(bool down) {
    uint16_t& held = g_model.inputPedal;
    if (down == (held != 0)) return; // a half pedal's values from 64 up hold it down
    if (down) held = inputChannels();
    for (int32_t channel = 0; channel < CHANNEL_COUNT; ++channel) {
        if (!(held >> channel & 1)) continue;
        if (down) holdPedal(channel);
        if (!down) liftPedal(channel);
    }
    if (!down) held = 0;
}

void bendInput(int32_t value) { moveInputControl(g_model.inputBend, value - BEND_CENTRE, sendBendOn); }

void modulateInput(int32_t value) { moveInputControl(g_model.inputModulation, value, sendModulationOn); }

PanelChange endInput() {
    PanelChange change;
    for (int32_t n = 0; n < NOTE_COUNT; ++n) change = change | releaseKey(inputSlotOf(n));
    holdInputPedal(false);
    if (g_model.inputBend.channels) bendInput(BEND_CENTRE);
    if (g_model.inputModulation.channels) modulateInput(0);
    return change;
}
