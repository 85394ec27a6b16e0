#include "input/background_keys.h"

#include "base/program.h"
#include "display/repaint.h"
#include "input/keyboard_input.h"
#include "model/key_map.h"
#include "model/key_table.h"
#include "model/keys.h"
#include "model/performance.h"

#include <algorithm>
#include <iterator>

BackgroundKeys g_backgroundKeys;

namespace {

// The mark on the Scroll Lock taps the program sends to set the light.
const ULONG_PTR OWN_TAP = 0x546F6E76;
const int32_t SCROLL_LOCK_KEY = 0x46;
const int32_t CAPS_LOCK_KEY = 0x3A;
const int32_t SPACE_KEY = 0x39;
const int32_t WINDOWS_KEYS[] = {KEY_EXTENDED | 0x5B, KEY_EXTENDED | 0x5C};

// What the hook hands the window procedure, and whether the window in
// front is spared the key.
struct KeyHandover {
    UINT message = 0; // 0: nothing handed over
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool keep = false;
};

// The program's windows (the panel, SETUP, message boxes) are all on this thread.
bool foregroundIsOurs() { return GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == GetCurrentThreadId(); }

// As the window's key messages name it: a low-level hook tells left from right.
WPARAM windowVirtualKey(DWORD virtualKey) {
    switch (virtualKey) {
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    default: return virtualKey;
    }
}

bool modifierKey(WPARAM virtualKey) {
    return virtualKey == VK_CONTROL || virtualKey == VK_SHIFT || virtualKey == VK_CAPITAL;
}

// The keys that play behind: the layout's, the pedal and the bends.
bool playingKey(int32_t keyId, WPARAM virtualKey) {
    return bindingOf(keyId).target != PLAYS_NOTHING || virtualKey == VK_SPACE || virtualKey == VK_PRIOR ||
           virtualKey == VK_NEXT;
}

// Held when the window loses the keys, and followed behind it.
bool followedKey(int32_t keyId) {
    const KeyInfo* key = keyInfo(keyId);
    return keySounds(keyId) || (key && (key->role == KeyRole::PEDAL || key->role == KeyRole::BEND));
}

bool windowsKeyHeld() {
    return std::any_of(std::begin(WINDOWS_KEYS), std::end(WINDOWS_KEYS),
                       [](int32_t keyId) { return g_backgroundKeys.down[keyId]; });
}

void forgetKeys() {
    std::fill(std::begin(g_backgroundKeys.down), std::end(g_backgroundKeys.down), false);
    std::fill(std::begin(g_backgroundKeys.taken), std::end(g_backgroundKeys.taken), false);
}

bool installHook() {
    BackgroundKeys& keys = g_backgroundKeys;
    if (!keys.hook) {
        keys.hook = SetWindowsHookExA(WH_KEYBOARD_LL, backgroundKeyHook, g_program.instance, 0);
        if (!keys.hook) return false;
        forgetKeys(); // what it saw when last in is stale
        // Armed by the hotkey, Scroll Lock may still be down, and Caps Lock
        // held since before: their repeats are no presses, nor toggles.
        keys.down[SCROLL_LOCK_KEY] = (GetAsyncKeyState(VK_SCROLL) & 0x8000) != 0;
        keys.down[CAPS_LOCK_KEY] = (GetAsyncKeyState(VK_CAPITAL) & 0x8000) != 0;
        keys.scrollLockPressSeen = false;
    }
    if (keys.hotKey) UnregisterHotKey(keys.window, BACKGROUND_HOT_KEY);
    keys.hotKey = false;
    return true;
}

// Disarmed with the light off, a hotkey listens for Scroll Lock, which
// leaves every other key as cheap as without the program. Otherwise the
// hook takes Scroll Lock: under Wine, when the X server keeps no Scroll
// Lock state, Wine sets the light back off before the next key with a
// press and release of its own, which a hotkey would take for the player's.
// The hook stays in too when another program holds the hotkey.
void listenForScrollLock() {
    BackgroundKeys& keys = g_backgroundKeys;
    if (!g_model.backgroundArmed && !keys.lit && !keys.hotKey)
        keys.hotKey = RegisterHotKey(keys.window, BACKGROUND_HOT_KEY, MOD_NOREPEAT, VK_SCROLL) != 0;
    if (!keys.hotKey) {
        installHook();
        return;
    }
    if (keys.hook) UnhookWindowsHookEx(keys.hook);
    keys.hook = nullptr;
}

// Armed by the settings, the Scroll Lock light is turned on by a tap of the
// program's own, which the hook knows by its mark and passes on.
void lightScrollLock() {
    if (g_backgroundKeys.lit) return;
    INPUT taps[2] = {};
    for (INPUT& tap : taps) {
        tap.type = INPUT_KEYBOARD;
        tap.ki.wVk = VK_SCROLL;
        tap.ki.wScan = SCROLL_LOCK_KEY;
        tap.ki.dwExtraInfo = OWN_TAP;
    }
    taps[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, taps, sizeof taps[0]);
}

// Scroll Lock goes on to the system whatever it does here, so that its
// light follows; every press flips the light. A tap switches on its
// release, but not one pressed and released at one moment: no hand is that
// quick, and that is how Wine sets the light to the X server's state, as
// is the program's own tap.
KeyHandover scrollLock(const KBDLLHOOKSTRUCT& key, bool up, bool wasDown) {
    BackgroundKeys& keys = g_backgroundKeys;
    if (!up) {
        if (wasDown) return KeyHandover{};
        keys.lit = !keys.lit;
        keys.scrollLockPressSeen = true;
        keys.scrollLockPressed = key.time;
        return KeyHandover{};
    }
    const bool tapped = keys.scrollLockPressSeen && key.time != keys.scrollLockPressed && key.dwExtraInfo != OWN_TAP;
    keys.scrollLockPressSeen = false;
    if (tapped) return KeyHandover{WM_HOTKEY, BACKGROUND_HOT_KEY, (LPARAM)VK_SCROLL << 16, false};
    // Up: the hotkey can take the key back without firing (it fires on a
    // press only).
    if (!g_model.backgroundArmed) listenForScrollLock();
    return KeyHandover{};
}

KeyHandover handOver(const KBDLLHOOKSTRUCT& key) {
    BackgroundKeys& keys = g_backgroundKeys;
    const bool extended = (key.flags & LLKHF_EXTENDED) != 0;
    const int32_t keyId = (int32_t)(key.scanCode & 0xFF) | (extended ? KEY_EXTENDED : 0);
    const bool up = (key.flags & LLKHF_UP) != 0;
    const bool wasDown = keys.down[keyId];
    keys.down[keyId] = !up;
    const WPARAM virtualKey = windowVirtualKey(key.vkCode);
    if (virtualKey == VK_SCROLL) return scrollLock(key, up, wasDown);
    if (!g_model.backgroundArmed || !keys.behind) return KeyHandover{};
    bool& taken = keys.taken[keyId];
    if (!up && !wasDown) {
        const bool altHeld = (key.flags & LLKHF_ALTDOWN) != 0;
        taken = !altHeld && !windowsKeyHeld() && playingKey(keyId, virtualKey);
    }
    // A key let go that sounds was pressed in front: its release ends it.
    if (!taken && !modifierKey(virtualKey) && !(up && keySounds(keyId))) return KeyHandover{};
    // The window's key message data: scan code and extended flag, bit 30
    // when the key was down already (always for a release), bit 31 going up.
    const DWORD data = 1u | (DWORD)keyId << 16 | (DWORD)(wasDown || up) << 30 | (DWORD)up << 31;
    const KeyHandover handover = {(UINT)(up ? WM_KEYUP : WM_KEYDOWN), virtualKey, (LPARAM)data,
                                  taken && !keys.passKeys};
    if (up) taken = false;
    return handover;
}

} // namespace

void startBackgroundKeys(HWND window, WNDPROC deliver) {
    BackgroundKeys& keys = g_backgroundKeys;
    keys.window = window;
    keys.deliver = deliver;
    keys.lit = (GetKeyState(VK_SCROLL) & 1) != 0;
    WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);
    if (g_model.backgroundArmed && installHook()) {
        lightScrollLock();
        return;
    }
    g_model.backgroundArmed = false;
    listenForScrollLock();
}

void stopBackgroundKeys(HWND window) {
    BackgroundKeys& keys = g_backgroundKeys;
    if (!keys.window) return;
    if (g_model.backgroundArmed && keys.behind) onKeysLost(window);
    if (keys.hook) UnhookWindowsHookEx(keys.hook);
    if (keys.hotKey) UnregisterHotKey(keys.window, BACKGROUND_HOT_KEY);
    WTSUnRegisterSessionNotification(keys.window);
    keys.hook = nullptr;
    keys.hotKey = false;
    keys.window = nullptr;
}

void switchBackgroundPlaying(HWND window) {
    BackgroundKeys& keys = g_backgroundKeys;
    // The hotkey's press, which no hook saw.
    if (!keys.hook) keys.lit = !keys.lit;
    if (g_model.backgroundArmed) {
        if (keys.behind) onKeysLost(window);
        std::fill(std::begin(keys.taken), std::end(keys.taken), false);
        g_model.backgroundArmed = false;
        listenForScrollLock();
    } else {
        if (!installHook()) return;
        g_model.backgroundArmed = true;
    }
    markSettingsChanged();
    showPanelChange(window, repaint(AREA_DISPLAY_0 | AREA_DISPLAY_1));
}

void onFocusLost(HWND window) {
    BackgroundKeys& keys = g_backgroundKeys;
    keys.behind = !foregroundIsOurs();
    if (!g_model.backgroundArmed || !keys.behind) {
        onKeysLost(window);
        return;
    }
    PanelChange change;
    for (int32_t keyId = 0; keyId < KEY_ID_COUNT; ++keyId) {
        keys.taken[keyId] = keys.down[keyId] && followedKey(keyId);
        if (!keys.down[keyId]) change = change | releaseKey(keyId);
    }
    if (!keys.down[SPACE_KEY]) change = change | releaseSustain();
    showPanelChange(window, change);
}

void onFocusBack() {
    g_backgroundKeys.behind = false;
    std::fill(std::begin(g_backgroundKeys.taken), std::end(g_backgroundKeys.taken), false);
    onKeysBack();
}

void onSessionChange(HWND window, WPARAM change) {
    if (change != WTS_SESSION_LOCK && change != WTS_SESSION_LOGOFF && change != WTS_CONSOLE_DISCONNECT &&
        change != WTS_REMOTE_DISCONNECT) {
        return;
    }
    onKeysLost(window);
    forgetKeys();
}

LRESULT CALLBACK backgroundKeyHook(int code, WPARAM message, LPARAM data) {
    const BackgroundKeys& keys = g_backgroundKeys;
    if (code == HC_ACTION && keys.deliver) {
        // Nothing slow here: the system drops a hook that keeps it waiting.
        const KeyHandover handover = handOver(*(const KBDLLHOOKSTRUCT*)data);
        if (handover.message) keys.deliver(keys.window, handover.message, handover.wParam, handover.lParam);
        if (handover.keep) return 1;
    }
    return CallNextHookEx(nullptr, code, message, data);
}
