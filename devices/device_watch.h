// A device that goes while Tonvale plays (an interface unplugged, a driver
// that stops answering) is closed at once and what it sounded forgotten;
// then it is looked for by its name, twice a second and at every change of
// the system's devices, and opened again when it is back, each channel's
// program sent again. The displays say it is gone, then that it is back.
#pragma once

#include "platform/win32.h"

// After every message: a device that stopped answering is let go.
void watchDevice(HWND window);
// WM_DEVICECHANGE: the device in use gone from the list is let go; one
// looked for and listed again is opened.
void onDevicesChanged(HWND window);
// TIMER_DEVICE_WATCH: the device looked for again, or the news that it
// is back taken off the displays.
void onDeviceTimer(HWND window);
