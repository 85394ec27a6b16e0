// The one MIDI input device the program plays from, and the only code that
// calls the system's MIDI input service. The input reports to the window:
// its messages come as MM_MIM_DATA through the one message loop, and are
// played on the thread that plays the keys.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <cstdint>

struct MidiInPort {
    HMIDIIN handle = nullptr; // null while no input is open
    // The input chosen by name, in SETUP or by the settings, open or not;
    // empty: none.
    char deviceName[MAXPNAMELEN] = {};
    // Closes of ours whose MM_MIM_CLOSE has yet to come: any other means
    // the device went away.
    uint32_t closesAwaited = 0;
};

extern MidiInPort g_input;

// How many input devices the system has now.
uint32_t countInputDevices();

// The name of input device i, or a readable stand-in when the system
// cannot say; always terminated.
void inputDeviceName(uint32_t i, char* name, size_t size);

void keepInputName(const char* name);

// Opens the input device of that name for the window and starts it;
// MMSYSERR_BADDEVICEID when the system has none of that name now.
MMRESULT openInputNamed(HWND window, const char* name);

// Stops and closes the open input, results ignored; the handle is cleared
// at once, and its messages still on their way are no longer its.
void closeInputPort();

// Whether a message's handle is the open input's.
inline bool fromInput(WPARAM handle) { return g_input.handle && (HMIDIIN)handle == g_input.handle; }
