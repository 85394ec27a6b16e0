// The one MIDI output device the program plays through.
#pragma once

#include "platform/win32.h"

#include <cstdint>

struct MidiOutPort {
    HMIDIOUT handle;      // null until a device is open
    uint32_t deviceIndex; // the selected device, as midiOutOpen takes it
    uint32_t deviceCount; // read once at start-up
    MMRESULT lastResult;  // latest kept result code, 0 = success
};

extern MidiOutPort midiOutPort;
