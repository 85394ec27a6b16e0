#include "model/keys.h"

#include "model/note_ledger.h"

#include <algorithm>
#include <iterator>

bool keyInRange(int32_t s, int32_t k) { return paramValue(g_model.sections[s], ParamId::Octave) * 12 + k <= 127; }

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

void forgetAllKeys() {
    for (KeyboardSection& section : g_model.sections) {
        std::fill(std::begin(section.keyDown), std::end(section.keyDown), false);
        std::fill(std::begin(section.sounding), std::end(section.sounding), KeyVoices{});
    }
}
