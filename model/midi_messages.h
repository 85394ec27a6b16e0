// Every MIDI message the program sends is composed here from the model and
// sent at once, as one short message, through the port.
#pragma once

#include "model/performance.h"
#include "platform/win32.h"

#include <cstdint>

struct ShortMessage {
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    uint8_t unused = 0; // always 0 on the wire
};

DWORD packShortMessage(const ShortMessage& message);

// Where note index k of the section sounds with its values as they stand
// now: its channel and note number, which may lie above 127.
Voice voiceOf(const KeyboardSection& section, int32_t k);

// Whether a voice goes on the wire. Transpose and chord intervals can push a
// note past the MIDI range, and such a note is dropped rather than sent as
// an invalid data byte; a note-on at velocity 0 would be a note-off.
bool sounds(const Voice& voice);

// Note-on or note-off of a voice, at the velocity it was struck with; one
// that does not sound is not sent at all.
void sendVoice(const Voice& voice, bool on);

// Sends the program change the section's selected parameter calls for
// (Patch or Channel), keeping the per-channel patch memory. Every program
// change goes after its channel's bank, if it has one.
void applyPatch(const KeyboardSection& section);

// A device just opened plays program 1 everywhere: each section's patch
// goes to its channel, once for a channel both sections share.
void sendSectionPrograms();

// bendValue on the active section's channel; a bend left on another
// channel is sprung back there first.
void sendPitchBend();

// What a channel is bent to: the keyboard's bend where it holds the
// channel, plus the input's where it does, within the bend's range.
void sendBendOn(int32_t channel);

// What a channel is modulated to: the deeper of Home's where it holds the
// channel and the input's where it does.
void sendModulationOn(int32_t channel);

// A message of the input's that the program passes on as it came, on its
// own channel: a controller or channel pressure.
void sendAsReceived(uint8_t status, int32_t data1, int32_t data2);

// The sustain pedal's controller, down (127) or up (0), on a channel.
void sendSustain(int32_t channel, bool down);

// The modulation wheel's controller, 0..127, on a channel.
void sendModulation(int32_t channel, int32_t value);

// What brings a device that heard nothing yet to where the instrument
// stands now: the pedal held, a bend away from the centre, the modulation
// up; one row per kind of state in midi_messages.cpp.
constexpr int STANDING_MESSAGE_LIMIT = 3 * CHANNEL_COUNT;
struct StandingMessages {
    DWORD messages[STANDING_MESSAGE_LIMIT] = {};
    int count = 0;
};
StandingMessages standingMessages();
