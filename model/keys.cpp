#include "model/keys.h"

#include "model/midi_messages.h"

bool keyInRange(int32_t s, int32_t k) { return paramValue(g_model.sections[s], ParamId::Octave) * 12 + k <= 127; }

PanelChange pressNote(int32_t s, int32_t k) {
    KeyboardSection& section = g_model.sections[s];
    section.keyDown[k] = true;
    sendNote(section, k, true);
    return repaint(keysArea(s));
}

PanelChange releaseNote(int32_t s, int32_t k) {
    KeyboardSection& section = g_model.sections[s];
    section.keyDown[k] = false;
    sendNote(section, k, false);
    return repaint(keysArea(s));
}
