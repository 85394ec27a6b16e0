#include "port/midi_out_port.h"

MidiOutPort g_port;

uint32_t countOutputDevices() {
    g_port.deviceCount = midiOutGetNumDevs();
    return g_port.deviceCount;
}

bool openPort(HWND notifyWindow) {
    g_port.lastResult = midiOutOpen(&g_port.handle, g_port.deviceIndex, (DWORD_PTR)notifyWindow, 0, CALLBACK_WINDOW);
    return g_port.lastResult == MMSYSERR_NOERROR;
}

bool resetPort() {
    g_port.lastResult = midiOutReset(g_port.handle);
    return g_port.lastResult == MMSYSERR_NOERROR;
}

void closePort() {
    midiOutReset(g_port.handle);
    midiOutClose(g_port.handle);
    g_port.handle = nullptr;
}

void sendShortMessage(DWORD message) { midiOutShortMsg(g_port.handle, message); }

bool sendShortMessageKeepingResult(DWORD message) {
    g_port.lastResult = midiOutShortMsg(g_port.handle, message);
    return g_port.lastResult == MMSYSERR_NOERROR;
}
