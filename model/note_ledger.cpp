#include "model/note_ledger.h"

#include "model/midi_messages.h"

namespace {

// Chord notes can reach index 23; only the 17 keys of the bed have a flag.
void setKeyFlag(KeyboardSection& section, int32_t n, bool down) {
    if (n >= 0 && n < KEY_COUNT) section.keyDown[n] = down;
}

} // namespace

void startVoice(KeyboardSection& section, KeyVoices& owner, int32_t n) {
    const Voice voice = voiceOf(section, n);
    setKeyFlag(section, n, true);
    sendVoice(section, voice, true);
    if (owner.count < MAX_VOICES) owner.voices[owner.count++] = voice;
}

void endVoices(KeyboardSection& section, KeyVoices& owner) {
    for (int32_t i = 0; i < owner.count; ++i) {
        const Voice& voice = owner.voices[i];
        setKeyFlag(section, voice.keyIndex, false);
        sendVoice(section, voice, false);
    }
    owner = KeyVoices{};
}
