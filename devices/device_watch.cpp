#include "devices/device_watch.h"

#include "base/timers.h"
#include "model/bend.h"
#include "model/keys.h"
#include "model/midi_messages.h"
#include "model/performance.h"
#include "port/midi_out_port.h"

namespace {

const UINT LOOK_MS = 500;       // back within 2 s, the device is playing again
const UINT BACK_NEWS_MS = 3000; // how long the displays say it is back

// No note-off, no pedal and no bend goes to the dead handle: the ledger
// forgets what sounded, and the device comes back reset.
void loseDevice(HWND window) {
    dropPort();
    g_port.stoppedAnswering = true;
    g_port.cameBack = false;
    forgetAllKeys();
    KillTimer(window, TIMER_BEND_RAMP);
    endBendGesture();
    InvalidateRect(window, nullptr, FALSE);
    SetTimer(window, TIMER_DEVICE_WATCH, LOOK_MS, nullptr);
}

// Devices are counted again: the one in use may have another number now.
bool listedAgain() {
    countOutputDevices();
    return findDeviceNamed(g_port.openName, &g_port.deviceIndex);
}

void reopenDevice(HWND window) {
    if (!listedAgain()) return;
    const MMRESULT opened = openPort();
    if (opened == MMSYSERR_NOERROR && resetPort() == MMSYSERR_NOERROR) {
        sendSectionPrograms();
        g_port.cameBack = true;
        InvalidateRect(window, nullptr, FALSE);
        SetTimer(window, TIMER_DEVICE_WATCH, BACK_NEWS_MS, nullptr);
        return;
    }
    // Listed, yet not ready: looked for again at the next tick.
    closePort();
    g_port.stoppedAnswering = true;
}

} // namespace

void watchDevice(HWND window) {
    if (g_port.stoppedAnswering && g_port.handle) loseDevice(window);
}

void onDevicesChanged(HWND window) {
    if (g_port.handle && !listedAgain()) loseDevice(window);
    if (!g_port.handle && g_port.stoppedAnswering) reopenDevice(window);
}

void onDeviceTimer(HWND window) {
    if (g_port.stoppedAnswering) {
        reopenDevice(window);
        return;
    }
    KillTimer(window, TIMER_DEVICE_WATCH);
    if (!g_port.cameBack) return;
    g_port.cameBack = false;
    InvalidateRect(window, nullptr, FALSE);
}
