// The one MIDI output device the program plays through, and the only code
// that calls the system's MIDI output service. Without an open device it
// sends nothing and calls nothing.
#pragma once

#include "platform/win32.h"

#include <cstdint>

struct MidiOutPort {
    HMIDIOUT handle = nullptr; // null while no device is open
    uint32_t deviceIndex = 0;  // the selected device, as midiOutOpen takes it
    uint32_t deviceCount = 0;  // read once at start-up
    // The device asked for by name, in SETUP or by the settings; device 0
    // stands in while no device has it. Empty: device 0 by default.
    char deviceName[MAXPNAMELEN] = {};
    // A message came back with a code that means the device is gone (an
    // interface unplugged); cleared by the next open.
    bool stoppedAnswering = false;
    // The device opened last, as the system lists it: found again by this
    // name when it comes back, whatever its number then.
    char openName[MAXPNAMELEN] = {};
    bool cameBack = false; // opened again by itself after it went; the displays say so a while
};

extern MidiOutPort g_port;

// How many output devices the system has, kept in deviceCount.
uint32_t countOutputDevices();

// The name of output device i, or a readable stand-in when the system
// cannot say; always terminated.
void outputDeviceName(uint32_t i, char* name, size_t size);

// The name the selected device was chosen by, cut to the system's length.
void keepDeviceName(const char* name);

// Selects the device with this name, or device 0 when none has it; the
// name is kept either way. Device numbers change as devices come and go,
// names do not.
void selectDeviceNamed(const char* name);
// The number of the device with this name among the deviceCount there.
bool findDeviceNamed(const char* name, uint32_t* index);

// The system's text for a result code, or a readable stand-in.
void midiErrorText(MMRESULT code, char* text, size_t size);

// Opens the selected device, its name kept in openName. Nobody is
// notified of what it does: the program only sends.
MMRESULT openPort();
// Silences the open device; success when none is open.
MMRESULT resetPort();
// Silences and closes the open device, results ignored. The handle is
// cleared at once: nothing may reach a closed handle that could since be
// another's.
void closePort();
// Closes a device that has gone, without a reset, which would go nowhere;
// a take ends every note there.
void dropPort();

// One short message, sent at once. A failure is not retried: a note late
// is a wrong note. Only a device gone is worth knowing of (stoppedAnswering).
void sendShortMessage(DWORD message);
