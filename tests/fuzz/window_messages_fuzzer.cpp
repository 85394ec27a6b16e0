// libFuzzer target: the stream of messages MainWndProc handles, decoded from
// the input, delivered to a window started through WM_CREATE with the fake:
// keys with any virtual key, scan code and bits, the panel's keys, Space, Home and Shift,
// characters, the mouse anywhere (negative and huge too), timers and
// commands with any id, the keys lost and regained, the mouse capture lost,
// the state of Ctrl and Caps Lock, the menu's choice and the setup dialog's
// answer (the same for its input list), any word from the MIDI input as
// MM_MIM_DATA. After each message the wire carries only well-formed messages,
// and the window has ended only through OFF; once the keys are lost nothing
// sounds, unless the input holds it, and the ramps' timers are stopped. At
// the end, with every key of either row, Space and Home that is still held
// released, all the input holds let go and the ramps over,
// every note started has stopped, every pedal is up, nothing is modulated and the timers are
// stopped. A violation aborts with its reason and the messages delivered.
#include "app/commands.h"
#include "app/main_window.h"
#include "base/program.h"
#include "devices/popup_menus.h"
#include "display/panel.h"
#include "display/panel_layout.h"
#include "input/keyboard_input.h"
#include "input/pitch_bend.h"
#include "model/key_map.h"
#include "model/performance.h"
#include "port/midi_in_port.h"
#include "port/midi_out_port.h"
#include "tests/fake/fake_win32.h"
#include "tests/property/wire_check.h"
#include "tests/unit/program_state.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A message as delivered, or what the fake answers from then on (one of
// the SCRIPT_ pseudo messages), kept for the report.
struct Delivered {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

const UINT SCRIPT_KEY_STATE = 0x10000;
const UINT SCRIPT_SYSTEM = 0x10001;
const int MAX_BEND_TICKS = 200;
const unsigned SPACE_SCAN_CODE = 0x39;
const unsigned HOME_KEY_ID = KEY_EXTENDED | 0x47;

std::vector<Delivered> g_delivered;
bool g_held[KEY_ID_COUNT]; // by scan code and extended flag: pressed and not released since
char g_home[4096];
bool g_trace; // TONVALE_FUZZ_TRACE set: each input's messages are printed

const char* messageName(UINT message) {
    switch (message) {
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_TIMER: return "WM_TIMER";
    case WM_COMMAND: return "WM_COMMAND";
    case WM_PAINT: return "WM_PAINT";
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case WM_SETFOCUS: return "WM_SETFOCUS";
    case WM_ENTERMENULOOP: return "WM_ENTERMENULOOP";
    case WM_EXITMENULOOP: return "WM_EXITMENULOOP";
    case WM_CAPTURECHANGED: return "WM_CAPTURECHANGED";
    case MM_MIM_DATA: return "MM_MIM_DATA";
    default: return "script";
    }
}

void printDelivered() {
    for (size_t i = 0; i < g_delivered.size(); ++i) {
        const Delivered& d = g_delivered[i];
        const unsigned long long w = d.wParam;
        const unsigned long long l = (unsigned long long)d.lParam;
        if (d.message == SCRIPT_KEY_STATE) {
            std::fprintf(stderr, "  %zu: Ctrl %s, Caps Lock %s\n", i, w ? "held" : "up", l ? "on" : "off");
        } else if (d.message == SCRIPT_SYSTEM) {
            std::fprintf(stderr, "  %zu: menus choose %llu; setup ends with %s, the device %s, list selection %d\n", i,
                         w, (l & 0xFF) == IDOK ? "OK" : "Cancel", (l >> 8 & 0xFF) ? "fails to open" : "opens",
                         (int)(l >> 16) - 1);
        } else if (d.message == WM_MOUSEMOVE || d.message == WM_LBUTTONDOWN || d.message == WM_LBUTTONUP) {
            std::fprintf(stderr, "  %zu: %s at %d,%d\n", i, messageName(d.message), GET_X_LPARAM(d.lParam),
                         GET_Y_LPARAM(d.lParam));
        } else if (d.message == WM_KEYDOWN || d.message == WM_KEYUP) {
            std::fprintf(stderr, "  %zu: %s vk 0x%02llx scan 0x%02llx%s%s (0x%llx)\n", i, messageName(d.message), w,
                         l >> 16 & 0xFF, l >> 30 & 1 ? " was down" : "", l >> 31 & 1 ? " going up" : "", l);
        } else {
            std::fprintf(stderr, "  %zu: %s 0x%llx 0x%llx\n", i, messageName(d.message), w, l);
        }
    }
}

[[noreturn]] void fail(const std::vector<std::string>& reasons) {
    std::fprintf(stderr, "window_messages_fuzzer: a violation\n");
    for (const std::string& reason : reasons) std::fprintf(stderr, "  %s\n", reason.c_str());
    std::fprintf(stderr, "after these events:\n");
    printDelivered();
    std::abort();
}

void deliver(UINT message, WPARAM wParam, LPARAM lParam) {
    g_delivered.push_back(Delivered{message, wParam, lParam});
    // Held from a press (bits 30 and 31 clear) until a release (both set),
    // as the program reads them.
    const unsigned transition = (unsigned)((uint64_t)lParam >> 30 & 3);
    const bool keyMessage =
        message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
    if (keyMessage && (transition == 0 || transition == 3))
        g_held[(uint64_t)lParam >> 16 & (KEY_ID_COUNT - 1)] = transition == 0;
    MainWndProc(fake::WINDOW, message, wParam, lParam);
    // A menu's choice is posted, and comes right after the press that opened it.
    fake::dispatchPosted();
}

// Mostly over some control of the panel, else anywhere at all: both halves
// are read as signed 16-bit numbers.
LPARAM pointerPosition(FuzzedDataProvider& input) {
    if (input.ConsumeBool()) return (LPARAM)input.ConsumeIntegral<uint32_t>();
    const RECT& r = PanelLayout[input.ConsumeIntegralInRange<int>(0, LAYOUT_COUNT - 1)];
    const int x = r.left + input.ConsumeIntegralInRange<int>(0, r.right - r.left - 1);
    const int y = r.top + input.ConsumeIntegralInRange<int>(0, r.bottom - r.top - 1);
    return fake::pointData(x, y);
}

LPARAM transitionBits(FuzzedDataProvider& input, unsigned scanCode, bool* goingUp) {
    const int transition = input.ConsumeIntegralInRange<int>(0, 2); // press, repeat, release
    *goingUp = transition == 2;
    return fake::keyData(scanCode, transition > 0, transition == 2);
}

WPARAM commandId(FuzzedDataProvider& input) {
    // Mostly an item of one of the three menus, or an id just past them.
    const UINT bases[] = {CMD_PATCH_ITEMS, CMD_CHANNEL_ITEMS, CMD_OCTAVE_ITEMS, CMD_END};
    if (input.ConsumeBool()) return input.ConsumeIntegral<uint32_t>();
    return bases[input.ConsumeIntegralInRange<int>(0, 3)] + input.ConsumeIntegral<uint8_t>();
}

void scriptSystem(FuzzedDataProvider& input) {
    fake::Script& script = fake::script;
    script.menuChoice = (UINT)commandId(input);
    script.dialogButton = input.ConsumeBool() ? IDOK : IDCANCEL;
    script.openResult = input.ConsumeBool() ? MMSYSERR_NOERROR : MMSYSERR_ALLOCATED;
    script.listSelection = input.ConsumeIntegralInRange<int>(LB_ERR, (int)script.deviceCount - 1);
    script.inputSelection = script.listSelection + 1; // none, or an input as the device
    script.inputOpenResult = script.openResult;
    const LPARAM answers =
        (LPARAM)(script.dialogButton | (script.openResult != MMSYSERR_NOERROR) << 8 | (script.listSelection + 1) << 16);
    g_delivered.push_back(Delivered{SCRIPT_SYSTEM, script.menuChoice, answers});
}

// The keys that play no note but act on the panel, Space, Home and Shift.
void deliverPanelKey(FuzzedDataProvider& input) {
    struct PanelKey {
        WPARAM virtualKey;
        unsigned scanCode;
    };
    const PanelKey keys[] = {{VK_LEFT, 0x4B},        {VK_RIGHT, 0x4D},  {VK_UP, 0x48},
                             {VK_DOWN, 0x50},        {VK_ESCAPE, 0x01}, {VK_SPACE, SPACE_SCAN_CODE},
                             {VK_HOME, HOME_KEY_ID}, {VK_SHIFT, 0x2A},  {VK_SHIFT, 0x36}};
    const PanelKey& key = keys[input.ConsumeIntegralInRange<int>(0, 8)];
    bool goingUp = false;
    const LPARAM bits = transitionBits(input, key.scanCode, &goingUp);
    deliver(goingUp ? WM_KEYUP : WM_KEYDOWN, key.virtualKey, bits);
}

// The focus going and coming, a menu's loop starting and ending, the mouse
// capture taken by another window or released.
void deliverFocusChange(FuzzedDataProvider& input) {
    const UINT messages[] = {WM_KILLFOCUS, WM_SETFOCUS, WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_CAPTURECHANGED};
    const UINT message = messages[input.ConsumeIntegralInRange<int>(0, 4)];
    deliver(message, 0, message == WM_CAPTURECHANGED && input.ConsumeBool() ? (LPARAM)fake::WINDOW : 0);
}

bool keysLost(const Delivered& last) { return last.message == WM_KILLFOCUS || last.message == WM_ENTERMENULOOP; }

void deliverOne(FuzzedDataProvider& input) {
    bool goingUp = false;
    switch (input.ConsumeIntegralInRange<int>(0, 14)) {
    case 0: { // a key of either row
        const int32_t s = input.ConsumeIntegralInRange<int>(0, SECTION_COUNT - 1);
        const unsigned scanCode = (unsigned)splitKeyId(s, input.ConsumeIntegralInRange<int>(0, KEY_COUNT - 1));
        const LPARAM bits = transitionBits(input, scanCode, &goingUp);
        deliver(goingUp ? WM_KEYUP : WM_KEYDOWN, 0, bits);
        break;
    }
    case 1: { // Page Up or Page Down
        const bool up = input.ConsumeBool();
        const LPARAM bits = transitionBits(input, up ? 0x49 : 0x51, &goingUp);
        deliver(goingUp ? WM_KEYUP : WM_KEYDOWN, up ? VK_PRIOR : VK_NEXT, bits);
        break;
    }
    case 2: { // any key at all, Alt held or not
        const UINT message = (input.ConsumeBool() ? WM_KEYUP : WM_KEYDOWN) + (input.ConsumeBool() ? 4 : 0);
        const WPARAM virtualKey = input.ConsumeIntegral<uint8_t>();
        deliver(message, virtualKey, (LPARAM)input.ConsumeIntegral<uint32_t>());
        break;
    }
    case 3: deliver(WM_CHAR, input.ConsumeIntegral<uint8_t>(), 1); break;
    case 4: deliver(input.ConsumeBool() ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, 1, pointerPosition(input)); break;
    case 5: deliver(WM_MOUSEMOVE, 1, pointerPosition(input)); break;
    case 6: deliver(WM_LBUTTONUP, 0, pointerPosition(input)); break;
    case 7: deliver(WM_TIMER, input.ConsumeBool() ? TIMER_BEND_RAMP : input.ConsumeIntegral<uint32_t>(), 0); break;
    case 8: deliver(WM_COMMAND, commandId(input), 0); break;
    case 9: { // what GetKeyState reports for Ctrl and Caps Lock
        const bool control = input.ConsumeBool();
        const bool capsLock = input.ConsumeBool();
        fake::script.keyState[VK_CONTROL] = control ? (SHORT)0xFF80 : 0;
        fake::script.keyState[VK_CAPITAL] = capsLock ? 1 : 0;
        g_delivered.push_back(Delivered{SCRIPT_KEY_STATE, control, capsLock});
        break;
    }
    case 10: scriptSystem(input); break;
    case 11: deliver(WM_PAINT, 0, 0); break;
    case 12: deliverPanelKey(input); break;
    case 14: { // any word from the MIDI input, mostly from the one open
        const LPARAM message = input.ConsumeIntegral<uint32_t>();
        deliver(MM_MIM_DATA, input.ConsumeIntegralInRange<int>(0, 7) ? (WPARAM)g_input.handle : 1, message);
        break;
    }
    default: deliverFocusChange(input); break;
    }
}

bool offPressed(const Delivered& last) {
    const POINT point{GET_X_LPARAM(last.lParam), GET_Y_LPARAM(last.lParam)};
    return last.message == WM_LBUTTONDOWN && hitTest(point).control == Control::OFF;
}

void startProgram() {
    fake::reset();
    resetProgramState();
    fake::script.deviceCount = 2;
    fake::script.noDeviceResult = MMSYSERR_INVALHANDLE; // as Windows answers
    g_delivered.clear();
    std::fill(std::begin(g_held), std::end(g_held), false);
    fake::script.inputCount = 2;
    if (chdir(TONVALE_SOURCE_DIR "/resources") != 0) fail({"cannot enter the patch-name folder"});
    const bool started = registerMainClass(fake::INSTANCE) && createMainWindow(fake::INSTANCE, SW_SHOWDEFAULT);
    if (chdir(g_home) != 0 || !started) fail({"the program did not start"});
    keepInputName("Input 0");
    openInputNamed(fake::WINDOW, "Input 0");
    fake::clearLog();
}

} // namespace

// Start-up reads the patch names from the current folder: the real file
// where it lies. Only start-up is run there, so that the fuzzer's own paths
// stay relative to the folder it was started in.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!getcwd(g_home, sizeof g_home)) std::abort();
    g_trace = std::getenv("TONVALE_FUZZ_TRACE") != nullptr;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    startProgram();
    WireCheck wire(false);
    while (input.remaining_bytes() > 0) {
        deliverOne(input);
        wire.readLog(g_delivered.size() - 1);
        if (keysLost(g_delivered.back()) && !WireCheck::inputHolds()) {
            wire.expectSilence("once the keys were lost");
            wire.expectRampsStopped(g_delivered.size() - 1, "once the keys were lost");
        }
        if (wire.failed()) fail(wire.found());
        if (wire.programEnded()) {
            if (g_delivered.empty() || !offPressed(g_delivered.back())) fail({"the program ended, and not by OFF"});
            return 0; // a destroyed window gets no more messages
        }
    }
    // Let go of everything: every key still held, Space, Home and
    // the mouse button. (Releasing keys that are up would send note-offs
    // that hide a note left sounding under the same number.) The pedal and the modulation may
    // have gone up by a key message of any scan code: Space and Home are let go anyway.
    for (int32_t keyId = 0; keyId < KEY_ID_COUNT; ++keyId) {
        if (g_held[keyId]) deliver(WM_KEYUP, 0, fake::releaseOf((unsigned)keyId & 0xFF) | (keyId & KEY_EXTENDED) << 16);
    }
    deliver(WM_KEYUP, VK_SPACE, fake::releaseOf(SPACE_SCAN_CODE));
    deliver(WM_KEYUP, VK_HOME, fake::releaseOf(HOME_KEY_ID));
    deliver(WM_LBUTTONUP, 0, 0);
    for (const DWORD message : WireCheck::inputReleases()) deliver(MM_MIM_DATA, (WPARAM)g_input.handle, message);
    wire.readLog(g_delivered.size() - 1);
    g_delivered.push_back(Delivered{WM_TIMER, TIMER_BEND_RAMP, 0}); // stands for the ticks until the timers stop
    wire.tickUntilRampsStop(g_delivered.size() - 1, MAX_BEND_TICKS);
    wire.expectSilence("at the end");
    if (wire.failed()) fail(wire.found());
    if (g_trace) printDelivered();
    return 0;
}
