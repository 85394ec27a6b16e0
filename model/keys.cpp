#include "model/keys.h"

#include "model/midi_messages.h"
#include "model/note_ledger.h"

#include <algorithm>
#include <iterator>

bool keyInRange(int32_t s, int32_t k) { return paramValue(g_model.sections[s], ParamId::OCTAVE) * 12 + k <= 127; }

bool keySounds(int32_t s, int32_t k) { return g_model.sections[s].sounding[k].count > 0; }

PanelChange pressNote(int32_t s, int32_t k) {
    KeyboardSection& section = g_model.sections[s];
    KeyVoices& owner = section.sounding[k];
    // Pressed again without a release (the window lost the keyboard
    // meanwhile): what the key still sounds ends first.
    endVoices(section, owner);
    startVoice(section, owner, k);
    return repaint(keysArea(s));
}

PanelChange releaseKey(int32_t s, int32_t k) {
    KeyboardSection& section = g_model.sections[s];
    endVoices(section, section.sounding[k]);
    return repaint(keysArea(s));
}

PanelChange pressSustain() {
    // Pressed again without a release: it comes up where it went down first.
    const PanelChange lifted = releaseSustain();
    const int32_t s = g_model.activeSection;
    Pedal& pedal = g_model.sustain;
    pedal.down = true;
    pedal.channel = paramValue(g_model.sections[s], ParamId::CHANNEL);
    pedal.section = s;
    sendSustain(pedal.channel, true);
    return lifted | repaint(displayArea(s)); // it shows the pedal down
}

PanelChange releaseSustain() {
    Pedal& pedal = g_model.sustain;
    if (!pedal.down) return PanelChange{};
    sendSustain(pedal.channel, false);
    const PanelChange change = repaint(displayArea(pedal.section));
    pedal = Pedal{};
    return change;
}

PanelChange releaseAllKeys() {
    PanelChange change;
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        KeyboardSection& section = g_model.sections[s];
        // Every key drawn down owns a note in the ledger: ending those lets
        // go of every key.
        for (KeyVoices& owner : section.sounding) {
            if (owner.count == 0) continue;
            endVoices(section, owner);
            change = change | repaint(keysArea(s));
        }
    }
    return change | releaseSustain();
}

void forgetAllKeys() {
    releaseSustain();
    for (KeyboardSection& section : g_model.sections) {
        std::fill(std::begin(section.keyDown), std::end(section.keyDown), false);
        std::fill(std::begin(section.sounding), std::end(section.sounding), KeyVoices{});
    }
}
