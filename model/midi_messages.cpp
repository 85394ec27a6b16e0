#include "model/midi_messages.h"

#include "port/midi_out_port.h"

#include <cmath>

namespace {

const uint8_t NOTE_OFF = 0x80;
const uint8_t NOTE_ON = 0x90;
const uint8_t CONTROL_CHANGE = 0xB0;
const uint8_t PROGRAM_CHANGE = 0xC0;
const uint8_t PITCH_BEND = 0xE0;
const int32_t HIGHEST_NOTE = 127;
const int32_t SUSTAIN_CONTROLLER = 64;
const int32_t PEDAL_DOWN = 127; // any value from 64 holds it; 127 as a pedal's switch sends

DWORD compose(uint8_t kind, int32_t channel, int32_t data1, int32_t data2) {
    ShortMessage message;
    message.status = (uint8_t)(kind + channel);
    message.data1 = (uint8_t)data1;
    message.data2 = (uint8_t)data2;
    return packShortMessage(message);
}

void sendProgramChange(const KeyboardSection& section) {
    sendShortMessage(
        compose(PROGRAM_CHANGE, paramValue(section, ParamId::Channel), paramValue(section, ParamId::Patch), 0));
}

} // namespace

DWORD packShortMessage(const ShortMessage& message) {
    return (DWORD)message.status | (DWORD)message.data1 << 8 | (DWORD)message.data2 << 16;
}

Voice voiceOf(const KeyboardSection& section, int32_t k) {
    Voice voice;
    voice.channel = paramValue(section, ParamId::Channel);
    voice.note = k + paramValue(section, ParamId::Transpose) + 12 * paramValue(section, ParamId::Octave);
    voice.keyIndex = k;
    return voice;
}

void sendVoice(const KeyboardSection& section, const Voice& voice, bool on) {
    // Transpose and chord intervals can push a note past the MIDI range;
    // such a note is dropped rather than sent as an invalid data byte.
    if (voice.note < 0 || voice.note > HIGHEST_NOTE) return;
    sendShortMessage(compose(on ? NOTE_ON : NOTE_OFF, voice.channel, voice.note, paramValue(section, ParamId::Volume)));
}

void applyPatch(KeyboardSection& p) {
    KeyboardSection& q = &p == &g_model.sections[0] ? g_model.sections[1] : g_model.sections[0];
    int32_t& patch = p.params[ParamId::Patch].value;
    const int32_t channel = paramValue(p, ParamId::Channel);
    int32_t* const patchOfChannel = g_model.ChannelPatchTable;
    if (p.selectedParam == ParamId::Patch) {
        if (channel == PERCUSSION_CHANNEL) patch = 0;
        patchOfChannel[channel] = patch;
        if (paramValue(q, ParamId::Channel) == channel) q.params[ParamId::Patch].value = patchOfChannel[channel];
        sendProgramChange(p);
    } else if (p.selectedParam == ParamId::Channel) {
        patch = patchOfChannel[channel];
        sendProgramChange(p);
    }
}

void sendSectionPrograms() {
    const KeyboardSection& first = g_model.sections[0];
    const KeyboardSection& second = g_model.sections[1];
    sendProgramChange(first);
    if (paramValue(second, ParamId::Channel) != paramValue(first, ParamId::Channel)) sendProgramChange(second);
}

void sendPitchBend() {
    const KeyboardSection& section = g_model.sections[g_model.activeSection];
    const int32_t low = (int32_t)std::fmod((double)g_model.bendValue, 128.0);
    sendShortMessage(compose(PITCH_BEND, paramValue(section, ParamId::Channel), low, g_model.bendValue / 128));
}

void sendSustain(int32_t channel, bool down) {
    sendShortMessage(compose(CONTROL_CHANGE, channel, SUSTAIN_CONTROLLER, down ? PEDAL_DOWN : 0));
}
