// The clock of a strummed chord. A window timer ticks in steps of 10 to
// 16 ms on Windows, too coarse for notes a few milliseconds apart, so each
// next note is woken by a multimedia timer's one-shot, whose callback, on a
// thread of the system's, only posts MESSAGE_STRUM_DUE: the note goes out
// on the window's thread, as every other message does.
#pragma once

#include "base/window_messages.h"
#include "platform/win32.h"

#include <cstdint>

struct StrumTimer {
    UINT oneShot = 0; // the one-shot set and not yet handled; 0: none
    int64_t due = 0;  // the note it is set for, on the performance counter
};

extern StrumTimer g_strumTimer;

// After every message: a one-shot set for the next note a strum waits to
// start, and none while nothing waits.
void keepStrumTimer(HWND window);

// MESSAGE_STRUM_DUE: the notes due start.
void onStrumDue(HWND window, WPARAM oneShot);
