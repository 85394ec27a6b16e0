#include "port/midi_in_port.h"

#include <cstdio>
#include <cstring>

MidiInPort g_input;

uint32_t countInputDevices() { return midiInGetNumDevs(); }

void inputDeviceName(uint32_t i, char* name, size_t size) {
    MIDIINCAPSA caps;
    if (midiInGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR) {
        std::snprintf(name, size, "%.*s", (int)sizeof caps.szPname, caps.szPname);
    } else {
        std::snprintf(name, size, "MIDI input %u (unavailable)", i + 1);
    }
}

void keepInputName(const char* name) { std::snprintf(g_input.deviceName, sizeof g_input.deviceName, "%s", name); }

MMRESULT openInputNamed(HWND window, const char* name) {
    // Numbers change as devices come and go, names do not.
    const uint32_t count = countInputDevices();
    for (uint32_t i = 0; i < count; ++i) {
        char listed[MAXPNAMELEN + 32]; // room for the stand-in of a device that cannot say
        inputDeviceName(i, listed, sizeof listed);
        if (std::strcmp(listed, name) != 0) continue;
        MMRESULT result = midiInOpen(&g_input.handle, i, (DWORD_PTR)window, 0, CALLBACK_WINDOW);
        if (result != MMSYSERR_NOERROR) {
            g_input.handle = nullptr; // the system may leave anything there
            return result;
        }
        // Opened, an input reports nothing until it is started.
        result = midiInStart(g_input.handle);
        if (result != MMSYSERR_NOERROR) closeInputPort();
        return result;
    }
    return MMSYSERR_BADDEVICEID;
}

void closeInputPort() {
    if (!g_input.handle) return;
    midiInReset(g_input.handle);
    // The system posts MM_MIM_CLOSE for a close of ours too.
    if (midiInClose(g_input.handle) == MMSYSERR_NOERROR) ++g_input.closesAwaited;
    g_input.handle = nullptr;
}
