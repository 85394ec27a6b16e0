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

// A note two keys hold was struck by the first: it ends as it was struck,
// whichever key lets it go last.
Voice struck(Voice voice) {
    voice.velocity = g_model.noteVelocity[voice.channel][voice.note];
    return voice;
}

} // namespace

void startVoice(KeyVoices& owner, int32_t s, int32_t offset) {
    KeyboardSection& section = g_model.sections[s];
    // The touch is the press's: a note started after it (a strum's) keeps it.
    if (owner.count == 0) owner.soft = g_model.softTouch;
    Voice voice = voiceOf(section, offset);
    if (owner.soft) voice.velocity = section.softVolume;
    if (owner.velocity) voice.velocity = owner.velocity;
    showKey(section, offset, +1);
    uint16_t* holds = holdsOf(voice);
    if (holds && (*holds)++ == 0) {
        sendVoice(voice, true);
        g_model.noteVelocity[voice.channel][voice.note] = (uint8_t)voice.velocity;
    }
    owner.section = s;
    if (owner.count < MAX_VOICES) owner.voices[owner.count++] = voice;
}

void endVoices(KeyVoices& owner) {
    KeyboardSection& section = g_model.sections[owner.section];
    for (int32_t i = 0; i < owner.count; ++i) {
        const Voice& voice = owner.voices[i];
        showKey(section, voice.offset, -1);
        uint16_t* holds = holdsOf(voice);
        if (holds && *holds > 0 && --*holds == 0) sendVoice(struck(voice), false);
    }
    owner = KeyVoices{};
}
