#include "port/midi_out_port.h"

#include "port/take_recorder.h"

#include <cstdio>
#include <cstring>

MidiOutPort g_port;

uint32_t countOutputDevices() {
    g_port.deviceCount = midiOutGetNumDevs();
    return g_port.deviceCount;
}

void outputDeviceName(uint32_t i, char* name, size_t size) {
    MIDIOUTCAPSA caps;
    if (midiOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR) {
        std::snprintf(name, size, "%.*s", (int)sizeof caps.szPname, caps.szPname);
    } else {
        std::snprintf(name, size, "MIDI output %u (unavailable)", i + 1);
    }
}

void keepDeviceName(const char* name) {
    std::strncpy(g_port.deviceName, name, sizeof g_port.deviceName - 1);
    g_port.deviceName[sizeof g_port.deviceName - 1] = 0;
}

void selectDeviceNamed(const char* name) {
    keepDeviceName(name);
    g_port.deviceIndex = 0;
    findDeviceNamed(g_port.deviceName, &g_port.deviceIndex);
}

bool findDeviceNamed(const char* name, uint32_t* index) {
    if (!name[0]) return false;
    for (uint32_t i = 0; i < g_port.deviceCount; ++i) {
        // As the setup list names it, which is where the name came from.
        char listed[MAXPNAMELEN + 32];
        outputDeviceName(i, listed, sizeof listed);
        if (std::strcmp(listed, name) == 0) {
            *index = i;
            return true;
        }
    }
    return false;
}

void midiErrorText(MMRESULT code, char* text, size_t size) {
    if (midiOutGetErrorTextA(code, text, (UINT)size) != MMSYSERR_NOERROR) {
        std::snprintf(text, size, "MIDI output error %u", code);
    }
}

MMRESULT openPort() {
    g_port.stoppedAnswering = false;
    outputDeviceName(g_port.deviceIndex, g_port.openName, sizeof g_port.openName);
    return midiOutOpen(&g_port.handle, g_port.deviceIndex, 0, 0, CALLBACK_NULL);
}

MMRESULT resetPort() {
    if (!g_port.handle) return MMSYSERR_NOERROR;
    const MMRESULT result = midiOutReset(g_port.handle);
    if (result == MMSYSERR_NOERROR) recordShortMessage(RESET_EVENT);
    return result;
}

void closePort() {
    if (!g_port.handle) return;
    resetPort();
    midiOutClose(g_port.handle);
    g_port.handle = nullptr;
}

void dropPort() {
    if (!g_port.handle) return;
    midiOutClose(g_port.handle);
    g_port.handle = nullptr;
    recordShortMessage(RESET_EVENT);
}

void sendShortMessage(DWORD message) {
    if (!g_port.handle) return;
    const MMRESULT result = midiOutShortMsg(g_port.handle, message);
    // A take keeps what the device took.
    if (result == MMSYSERR_NOERROR) recordShortMessage(message);
    // What the system answers once the driver or the device has gone away.
    if (result == MMSYSERR_NODRIVER || result == MIDIERR_NODEVICE || result == MMSYSERR_BADDEVICEID ||
        result == MMSYSERR_INVALHANDLE) {
        g_port.stoppedAnswering = true;
    }
}
