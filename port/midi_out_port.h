// The one MIDI output device the program plays through. Every call that
// reaches the device is made here: the model sends through it, devices/
// opens, resets and closes it.
#pragma once

#include "platform/win32.h"

#include <cstdint>

struct MidiOutPort {
    HMIDIOUT handle = nullptr;              // null while no device is open
    uint32_t deviceIndex = 0;               // the selected device, as midiOutOpen takes it
    uint32_t deviceCount = 0;               // read once at start-up
    MMRESULT lastResult = MMSYSERR_NOERROR; // latest kept result code
};

extern MidiOutPort g_port;

// How many output devices the system has, kept in deviceCount.
uint32_t countOutputDevices();

// Opens the selected device, its notifications going to the window as
// ordinary messages; then resets it. Each result is kept in lastResult.
bool openPort(HWND notifyWindow);
bool resetPort();

// Silences and closes the device, results ignored. The handle is cleared at
// once: nothing may reach a closed handle that could since be another's.
void closePort();

// One short message. A note's result is kept, as the only one anybody asks
// about; the others are sent and forgotten.
void sendShortMessage(DWORD message);
bool sendShortMessageKeepingResult(DWORD message);
