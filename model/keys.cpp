#include "model/keys.h"

#include "model/input_notes.h"
#include "model/key_map.h"
#include "model/midi_messages.h"
#include "model/modulation.h"
#include "model/note_ledger.h"

#include <algorithm>
#include <iterator>

bool keyInRange(int32_t s, int32_t offset) {
    return paramValue(g_model.sections[s], ParamId::OCTAVE) * 12 + offset <= 127;
}

bool keySounds(int32_t keyId) { return g_model.held[keyId].count > 0; }

bool anyKeySounds() {
    return std::any_of(std::begin(g_model.held), std::end(g_model.held),
                       [](const KeyVoices& k) { return k.count > 0; });
}

PanelChange pressNote(int32_t keyId, int32_t s, int32_t offset, int32_t velocity) {
    KeyVoices& owner = g_model.held[keyId];
    // Pressed again without a release (the window lost the keyboard
    // meanwhile): what the key still sounds ends first.
    const PanelChange ended = releaseKey(keyId);
    owner.velocity = velocity;
    startVoice(owner, s, offset);
    return ended | repaint(keyBedsOf(s));
}

PanelChange releaseKey(int32_t keyId) {
    KeyVoices& owner = g_model.held[keyId];
    if (owner.count == 0) return PanelChange{};
    const int32_t s = owner.section;
    endVoices(owner);
    return repaint(keyBedsOf(s));
}

PanelChange pressSustain() {
    // Pressed again without a release: it comes up where it went down first.
    const PanelChange lifted = releaseSustain();
    const int32_t s = g_model.activeSection;
    Pedal& pedal = g_model.sustain;
    pedal.down = true;
    pedal.channel = paramValue(g_model.sections[s], ParamId::CHANNEL);
    pedal.section = s;
    holdPedal(pedal.channel);
    return lifted | repaint(displayArea(s)); // it shows the pedal down
}

PanelChange releaseSustain() {
    Pedal& pedal = g_model.sustain;
    if (!pedal.down) return PanelChange{};
    liftPedal(pedal.channel);
    const PanelChange change = repaint(displayArea(pedal.section));
    pedal = Pedal{};
    return change;
}

void holdPedal(int32_t channel) {
    if (g_model.pedalHolds[channel]++ == 0) sendSustain(channel, true);
}

void liftPedal(int32_t channel) {
    uint8_t& holds = g_model.pedalHolds[channel];
    if (holds > 0 && --holds == 0) sendSustain(channel, false);
}

PanelChange releaseAllKeys() {
    // Every key drawn down owns a note in the ledger: ending those lets go
    // of every key, and of the chords latched.
    PanelChange change;
    for (int32_t keyId = 0; keyId < INPUT_SLOTS; ++keyId) change = change | releaseKey(keyId);
    return change | releaseSustain();
}

void forgetAllKeys() {
    releaseSustain();
    holdInputPedal(false);
    endModulation(); // a device reset need not bring it back either
    if (g_model.inputModulation.channels) modulateInput(0);
    for (KeyboardSection& section : g_model.sections) {
        std::fill(std::begin(section.keyDown), std::end(section.keyDown), 0);
    }
    std::fill(std::begin(g_model.held), std::end(g_model.held), KeyVoices{});
    for (auto& channel : g_model.noteHolds) std::fill(std::begin(channel), std::end(channel), 0);
}
