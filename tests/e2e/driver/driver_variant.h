// What tells the two builds of the stand-in winmm.dll (test_winmm.cpp) apart:
// the test driver (test_variant.cpp) only logs, the run command's MIDI monitor
// (tools/midi_monitor/) also shows on standard output what the program does.
#pragma once

#include <windows.h>

struct DriverVariant {
    const char* defaultDeviceName; // the one device when TONVALE_MIDI_DEVICES is not set
    const char* defaultLogPath;    // the log when TONVALE_MIDI_LOG is not set; null: none
    // Told after the call has been logged, only of what succeeded; null: not told.
    void (*loaded)(unsigned deviceCount);
    void (*opened)(unsigned device, const char* deviceName);
    void (*reset)();
    void (*sent)(DWORD message);
    void (*closed)();
};

extern const DriverVariant DRIVER_VARIANT;
