// Every window timer of the main window, in one table so that no two
// modules ever set the same id; a WM_TIMER with any other id is not ours.
#pragma once

#include "platform/win32.h"

enum WindowTimer : UINT_PTR {
    TIMER_BEND_RAMP = 1,     // the keyboard bend gesture's ramp
    TIMER_SETTINGS_SAVE = 2, // a settled change written to the settings file
    TIMER_TAKES = 3,         // a take kept: its memory, its save after a pause or a failure
    TIMER_MODULATION = 4,    // Home's modulation rising or falling
    TIMER_DEVICE_WATCH = 5,  // a device gone looked for until it is back, then the news of it
};
