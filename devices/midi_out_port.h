// The one MIDI output device the program plays through, and the RESET,
// SETUP and OFF operations of the panel.
#pragma once

#include "platform/win32.h"

#include <cstdint>

struct MidiOutPort {
    HMIDIOUT handle;      // null while no device is open
    uint32_t deviceIndex; // the selected device, as midiOutOpen takes it
    uint32_t deviceCount; // read once at start-up
    MMRESULT lastResult;  // latest kept result code, 0 = success
};

extern MidiOutPort midiOutPort;

// Opens and resets the selected device; 0 after showing why it failed.
int openSelectedDevice(HWND window);

// RESET: lets go of every key and silences the device. 0 when the reset
// failed and the window has been destroyed, 1 otherwise.
int resetAll(HWND window);

// SETUP: the device dialog, and on OK the chosen device opened in place of
// the old one. 0 when reopening failed (the message has been shown).
int runDeviceSetup(HWND window);

// OFF: ends the program through window destruction.
void switchOff(HWND window);

INT_PTR CALLBACK setupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
