// Every MIDI message the program sends is composed and sent here, at once,
// as one short message on the open output device.
#pragma once

#include "model/keyboard_sections.h"
#include "platform/win32.h"

#include <cstdint>

constexpr int32_t CHANNEL_COUNT = 16;
constexpr int32_t PERCUSSION_CHANNEL = 9; // shown as channel 10; its patch is always 0
constexpr int32_t BEND_CENTRE = 8192;
constexpr int32_t BEND_MAX = 16383;

// The program remembered per MIDI channel, shared by both sections: two
// sections on one channel always play one patch.
extern int32_t ChannelPatchTable[CHANNEL_COUNT];

struct ShortMessage {
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
    uint8_t unused; // always 0 on the wire
};

extern ShortMessage shortMessage; // the message last composed

DWORD packShortMessage(const ShortMessage& message);

// Note-on (on != 0) or note-off of key index k, with the section's values as
// they stand now. Returns 1 when the device accepted it. A note above 127 is
// not sent at all: 0, and the device's last result is left alone.
int32_t sendNote(const KeyboardSection& section, int32_t k, int32_t on);

// Sends the program change the section's selected parameter calls for
// (Patch or Channel), keeping the per-channel patch memory. Returns 1.
int32_t applyPatch(KeyboardSection& section);

// bendValue on the active section's channel.
void sendPitchBend();
