#include "model/note_ledger.h"

#include "model/midi_messages.h"

namespace {

// Offsets beyond what a bed can show have no flag; their notes still sound.
void showKey(KeyboardSection& section, int32_t offset, int step) {
    if (offset >= 0 && offset < SHOWN_OFFSETS) section.keyDown[offset] = (uint8_t)(section.keyDown[offset] + step);
}

// A note that is never sent is held by nobody.
uint16_t* holdsOf(const Voice& voice) {
    return sounds(voice) ? &g_model.noteHolds[voice.channel][voice.note] : nullptr;
}

} // namespace

void startVoice(KeyVoices& owner, int32_t s, int32_t offset) {
    KeyboardSection& section = g_model.sections[s];
    Voice voice = voiceOf(section, offset);
    if (owner.velocity) voice.velocity = owner.velocity;
    showKey(section, offset, +1);
    uint16_t* holds = holdsOf(voice);
    if (holds && (*holds)++ == 0) sendVoice(voice, true);
    owner.section = s;
    if (owner.count < MAX_VOICES) owner.voices[owner.count++] = voice;
}

void endVoices(KeyVoices& owner) {
    KeyboardSection& section = g_model.sections[owner.section];
    for (int32_t i = 0; i < owner.count; ++i) {
        const Voice& voice = owner.voices[i];
        showKey(section, voice.offset, -1);
        uint16_t* holds = holdsOf(voice);
        if (holds && *holds > 0 && --*holds == 0) sendVoice(voice, false);
    }
    owner = KeyVoices{};
}
