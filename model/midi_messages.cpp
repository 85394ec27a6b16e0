#include "model/midi_messages.h"

#include "devices/midi_out_port.h"

#include <cmath>

int32_t ChannelPatchTable[CHANNEL_COUNT];
ShortMessage shortMessage;

namespace {

const uint8_t NOTE_OFF = 0x80;
const uint8_t NOTE_ON = 0x90;
const uint8_t PROGRAM_CHANGE = 0xC0;
const uint8_t PITCH_BEND = 0xE0;
const int32_t HIGHEST_NOTE = 127;

MMRESULT compose(uint8_t kind, int32_t channel, int32_t data1, int32_t data2) {
    shortMessage.status = (uint8_t)(kind + channel);
    shortMessage.data1 = (uint8_t)data1;
    shortMessage.data2 = (uint8_t)data2;
    shortMessage.unused = 0;
    return midiOutShortMsg(midiOutPort.handle, packShortMessage(shortMessage));
}

void sendProgramChange(const KeyboardSection& section) {
    compose(PROGRAM_CHANGE, paramValue(section, ParamId::Channel), paramValue(section, ParamId::Patch), 0);
}

} // namespace

DWORD packShortMessage(const ShortMessage& message) {
    return (DWORD)message.status | (DWORD)message.data1 << 8 | (DWORD)message.data2 << 16;
}

int32_t sendNote(const KeyboardSection& section, int32_t k, int32_t on) {
    const int32_t note = k + paramValue(section, ParamId::Transpose) + 12 * paramValue(section, ParamId::Octave);
    // Transpose and chord intervals can push a note past the MIDI range;
    // such a note is dropped rather than sent as an invalid data byte.
    if (note < 0 || note > HIGHEST_NOTE) return 0;
    const MMRESULT result = compose(on ? NOTE_ON : NOTE_OFF, paramValue(section, ParamId::Channel), note,
                                    paramValue(section, ParamId::Volume));
    midiOutPort.lastResult = result;
    return result == MMSYSERR_NOERROR ? 1 : 0;
}

int32_t applyPatch(KeyboardSection& p) {
    KeyboardSection& q = &p == &sections[0] ? sections[1] : sections[0];
    int32_t& patch = p.params[ParamId::Patch].value;
    const int32_t channel = paramValue(p, ParamId::Channel);
    if (p.selectedParam == ParamId::Patch) {
        if (channel == PERCUSSION_CHANNEL) patch = 0;
        ChannelPatchTable[channel] = patch;
        if (paramValue(q, ParamId::Channel) == channel) q.params[ParamId::Patch].value = ChannelPatchTable[channel];
        sendProgramChange(p);
    } else if (p.selectedParam == ParamId::Channel) {
        patch = ChannelPatchTable[channel];
        sendProgramChange(p);
    }
    return 1;
}

void sendPitchBend() {
    const KeyboardSection& section = sections[activeSection];
    const int32_t low = (int32_t)std::fmod((double)bendValue, 128.0);
    compose(PITCH_BEND, paramValue(section, ParamId::Channel), low, bendValue / 128);
}
