#include "model/midi_messages.h"

#include "model/midi_bytes.h"
#include "port/midi_out_port.h"

#include <cmath>

namespace {

const int32_t HIGHEST_NOTE = 127;
const int32_t PEDAL_DOWN = 127; // any value from 64 holds it; 127 as a pedal's switch sends

DWORD compose(uint8_t kind, int32_t channel, int32_t data1, int32_t data2) {
    ShortMessage message;
    message.status = (uint8_t)(kind + channel);
    message.data1 = (uint8_t)data1;
    message.data2 = (uint8_t)data2;
    return packShortMessage(message);
}

void sendProgramChange(const KeyboardSection& section) {
    const int32_t channel = paramValue(section, ParamId::CHANNEL);
    // A synthesizer takes the bank with the next program change: both
    // halves go right before it, every time.
    const ChannelBank& bank = g_model.channelBanks[channel];
    if (bank.set) {
        sendShortMessage(compose(CONTROL_CHANGE, channel, BANK_MSB_CONTROLLER, bank.number >> 7 & 0x7F));
        sendShortMessage(compose(CONTROL_CHANGE, channel, BANK_LSB_CONTROLLER, bank.number & 0x7F));
    }
    sendShortMessage(compose(PROGRAM_CHANGE, channel, paramValue(section, ParamId::PATCH), 0));
}

DWORD bendMessage(int32_t channel, int32_t value) {
    const int32_t low = (int32_t)std::fmod((double)value, 128.0);
    return compose(PITCH_BEND, channel, low, value / 128);
}

void sendBend(int32_t channel, int32_t value) { sendShortMessage(bendMessage(channel, value)); }

void addStanding(StandingMessages& standing, DWORD message) {
    if (standing.count < STANDING_MESSAGE_LIMIT) standing.messages[standing.count++] = message;
}

// Where a channel's bend and modulation stand: the keyboard's (the gesture
// or the wheel, Home) joined with the input's.
int32_t bendOn(int32_t channel) {
    int32_t value = BEND_CENTRE;
    if (channel == g_model.bentChannel) value = g_model.bendValue;
    if (g_model.inputBend.channels >> channel & 1) value += g_model.inputBend.value;
    return value < 0 ? 0 : value > BEND_MAX ? BEND_MAX : value;
}

int32_t modulationOn(int32_t channel) {
    const int32_t home = channel == g_model.modulation.channel ? g_model.modulation.value : 0;
    const InputControl& input = g_model.inputModulation;
    return (input.channels >> channel & 1) && input.value > home ? input.value : home;
}

// Each kind of state a device keeps between notes, channel by channel.
void pedalStanding(StandingMessages& standing, int32_t channel) {
    if (g_model.pedalHolds[channel])
        addStanding(standing, compose(CONTROL_CHANGE, channel, SUSTAIN_CONTROLLER, PEDAL_DOWN));
}

void bendStanding(StandingMessages& standing, int32_t channel) {
    if (bendOn(channel) != BEND_CENTRE) addStanding(standing, bendMessage(channel, bendOn(channel)));
}

void modulationStanding(StandingMessages& standing, int32_t channel) {
    const int32_t value = modulationOn(channel);
    if (value != 0) addStanding(standing, compose(CONTROL_CHANGE, channel, MODULATION_CONTROLLER, value));
}

void (*const STANDING_STATES[])(StandingMessages&, int32_t) = {pedalStanding, bendStanding, modulationStanding};

} // namespace

DWORD packShortMessage(const ShortMessage& message) {
    return (DWORD)message.status | (DWORD)message.data1 << 8 | (DWORD)message.data2 << 16;
}

Voice voiceOf(const KeyboardSection& section, int32_t k) {
    Voice voice;
    voice.channel = paramValue(section, ParamId::CHANNEL);
    voice.note = k + paramValue(section, ParamId::TRANSPOSE) + 12 * paramValue(section, ParamId::OCTAVE);
    voice.velocity = paramValue(section, ParamId::VOLUME);
    voice.offset = k;
    return voice;
}

bool sounds(const Voice& voice) { return voice.note >= 0 && voice.note <= HIGHEST_NOTE && voice.velocity > 0; }

void sendVoice(const Voice& voice, bool on) {
    if (!sounds(voice)) return;
    sendShortMessage(compose(on ? NOTE_ON : NOTE_OFF, voice.channel, voice.note, voice.velocity));
}

void applyPatch(const KeyboardSection& section) {
    // The patch is the channel's: a section on another channel takes up the
    // one remembered there, and a section sharing the channel shares it.
    if (section.selectedParam == ParamId::PATCH) {
        const int32_t channel = paramValue(section, ParamId::CHANNEL);
        if (channel == PERCUSSION_CHANNEL) g_model.ChannelPatchTable[channel] = 0;
        sendProgramChange(section);
    } else if (section.selectedParam == ParamId::CHANNEL) {
        sendProgramChange(section);
    }
}

void sendSectionPrograms() {
    const KeyboardSection& first = g_model.sections[0];
    const KeyboardSection& second = g_model.sections[1];
    sendProgramChange(first);
    if (paramValue(second, ParamId::CHANNEL) != paramValue(first, ParamId::CHANNEL)) sendProgramChange(second);
}

void sendPitchBend() {
    const int32_t channel = paramValue(g_model.sections[g_model.activeSection], ParamId::CHANNEL);
    const bool centred = g_model.bendValue == BEND_CENTRE;
    int32_t& bent = g_model.bentChannel;
    // A bend belongs to the channel it went out on until it is back at the
    // centre there: the spring-back goes to it, and a bend moving on to
    // another channel (the other section made active, its channel changed)
    // springs it back first.
    if (bent != NO_CHANNEL && (bent != channel || centred)) {
        const int32_t left = bent;
        bent = NO_CHANNEL;
        sendBendOn(left); // the centre, or where the input bends it
        if (centred) return;
    }
    bent = centred ? NO_CHANNEL : channel;
    sendBendOn(channel);
}

void sendBendOn(int32_t channel) { sendBend(channel, bendOn(channel)); }

void sendModulationOn(int32_t channel) { sendModulation(channel, modulationOn(channel)); }

void sendAsReceived(uint8_t status, int32_t data1, int32_t data2) {
    sendShortMessage(compose((uint8_t)(status & 0xF0), status & 0x0F, data1, data2));
}

void sendSustain(int32_t channel, bool down) {
    sendShortMessage(compose(CONTROL_CHANGE, channel, SUSTAIN_CONTROLLER, down ? PEDAL_DOWN : 0));
}

void sendModulation(int32_t channel, int32_t value) {
    sendShortMessage(compose(CONTROL_CHANGE, channel, MODULATION_CONTROLLER, value));
}

StandingMessages standingMessages() {
    StandingMessages standing;
    for (const auto state : STANDING_STATES) {
        for (int32_t channel = 0; channel < CHANNEL_COUNT; ++channel) state(standing, channel);
    }
    return standing;
}
