#include "input/strum_timer.h"

#include "display/repaint.h"
#include "model/chords.h"
#include "port/take_recorder.h"

#include <cstdint>

StrumTimer g_strumTimer;

namespace {

const UINT RESOLUTION_MS = 1;

int64_t countsPerMs() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart / 1000;
}

// On the system's timer thread: nothing but the post.
void CALLBACK postStrumDue(UINT oneShot, UINT, DWORD_PTR window, DWORD_PTR, DWORD_PTR) {
    PostMessageA((HWND)window, MESSAGE_STRUM_DUE, oneShot, 0);
}

// Whole milliseconds from now to `due`, to the nearest, at least one.
UINT delayUntil(int64_t due) {
    const int64_t perMs = countsPerMs();
    const int64_t ms = (due - performanceCounterNow() + perMs / 2) / perMs;
    return ms < 1 ? 1 : (UINT)ms;
}

void killOneShot() {
    if (g_strumTimer.oneShot) timeKillEvent(g_strumTimer.oneShot);
    g_strumTimer.oneShot = 0;
}

} // namespace

void keepStrumTimer(HWND window) {
    int64_t due = 0;
    const bool waiting = nextStrumNote(&due);
    if (waiting && g_strumTimer.oneShot && g_strumTimer.due == due) return;
    killOneShot();
    if (!waiting) return;
    g_strumTimer.due = due;
    g_strumTimer.oneShot = timeSetEvent(delayUntil(due), RESOLUTION_MS, postStrumDue, (DWORD_PTR)window,
                                        TIME_ONESHOT | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    // No timer to be had: the chord sounds whole rather than half.
    if (!g_strumTimer.oneShot) showPanelChange(window, startDueStrumNotes(INT64_MAX));
}

void onStrumDue(HWND window, WPARAM oneShot) {
    // A one-shot killed after it had posted has nothing to say.
    if (oneShot != g_strumTimer.oneShot) return;
    g_strumTimer.oneShot = 0;
    // Within half a millisecond is on time: the one-shot is set to whole ones.
    showPanelChange(window, startDueStrumNotes(performanceCounterNow() + countsPerMs() / 2));
}
