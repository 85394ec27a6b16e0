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

// The keys that play behind: the layout's, the pedal, the bends and the modulation.
bool playingKey(int32_t keyId, WPARAM virtualKey) {
    return bindingOf(keyId).target != PLAYS_NOTHING || virtualKey == VK_SPACE || virtualKey == VK_PRIOR ||
           virtualKey == VK_NEXT || virtualKey == VK_HOME;
}

// Held when the window loses the keys, and followed behind it.
bool followedKey(int32_t keyId) {
    const KeyInfo* key = keyInfo(keyId);
    return keySounds(keyId) ||
           (key && (key->role == KeyRole::PEDAL || key->role == KeyRole::BEND || key->role == KeyRole::WHEEL));
}

bool windowsKeyHeld() {
    return std::any_of(std::begin(WINDOWS_KEYS), std::end(WINDOWS_KEYS),
                       [](int32_t keyId) { return g_backgroundKeys.down[keyId]; });
}

// The scan code and the extended flag of a key message's data.
int32_t keyIdOf(LPARAM keyData) { return (int32_t)((keyData >> 16) & (KEY_ID_COUNT - 1)); }

// Returns the key's previous state.
bool noteDown(int32_t keyId, WPARAM virtualKey, bool down) {
    BackgroundKeys& keys = g_backgroundKeys;
    const bool wasDown = keys.down[keyId];
    keys.down[keyId] = down;
    keys.virtualKeys[keyId] = (uint8_t)virtualKey;
    return wasDown;
}

// Before the hook goes in, the keys nobody saw let go are up; Scroll Lock
// (its press the hotkey's) and Caps Lock held since before are down, so
// that their repeats are no presses, nor toggles.
void checkKeysDown() {
    BackgroundKeys& keys = g_backgroundKeys;
    for (int32_t keyId = 0; keyId < KEY_ID_COUNT; ++keyId) {
        if (keys.down[keyId]) keys.down[keyId] = (GetAsyncKeyState(keys.virtualKeys[keyId]) & 0x8000) != 0;
    }
    noteDown(SCROLL_LOCK_KEY, VK_SCROLL, (GetAsyncKeyState(VK_SCROLL) & 0x8000) != 0);
    noteDown(CAPS_LOCK_KEY, VK_CAPITAL, (GetAsyncKeyState(VK_CAPITAL) & 0x8000) != 0);
    keys.scrollLockPressSeen = false;
}

// Disarmed with the light off, a hotkey takes Scroll Lock from any window.
// Otherwise the window's own key messages take it while it is in front, and
// the hook behind another window: under Wine, when the X server keeps no
// Scroll Lock state, Wine turns the light back off before the next key with
// a press and release of its own, which a hotkey would take for the
// player's. The hook is in while another program's window has the keys and
// the hotkey does not listen: it plays there while armed.
void listenForScrollLock() {
    BackgroundKeys& keys = g_backgroundKeys;
    if (!keys.window) return; // before start-up and after the end
    const bool hotKeyWanted = !g_model.backgroundArmed && !keys.lit;
    if (hotKeyWanted && !keys.hotKey)
        keys.hotKey = RegisterHotKey(keys.window, BACKGROUND_HOT_KEY, MOD_NOREPEAT, VK_SCROLL) != 0;
    if (!hotKeyWanted && keys.hotKey) {
        UnregisterHotKey(keys.window, BACKGROUND_HOT_KEY);
        keys.hotKey = false;
    }
    if (keys.behind && !keys.hotKey && !keys.hook) {
        checkKeysDown();
        keys.hook = SetWindowsHookExA(WH_KEYBOARD_LL, backgroundKeyHook, g_program.instance, 0);
    } else if ((!keys.behind || keys.hotKey) && keys.hook) {
        UnhookWindowsHookEx(keys.hook);
        keys.hook = nullptr;
    }
}

// Armed by the settings, the Scroll Lock light is turned on by a tap of the
// program's own, which is known by its mark wherever it goes (at start-up
// another window may still be in front).
void lightScrollLock() {
    if (g_backgroundKeys.lit) return;
    g_backgroundKeys.lit = true;
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

// Every press of Scroll Lock flips its light (the program's own was
// counted as it was sent). A tap switches on its release, but not one
// pressed and released at one moment: no hand is that quick, and that is
// how Wine sets the light to the X server's state.
bool scrollLockTapped(bool up, bool wasDown, DWORD time, bool ownTap) {
    BackgroundKeys& keys = g_backgroundKeys;
    if (!up) {
        if (wasDown) return false;
        if (!ownTap) keys.lit = !keys.lit;
        keys.scrollLockPressSeen = !ownTap;
        keys.scrollLockPressed = time;
        return false;
    }
    const bool tapped = keys.scrollLockPressSeen && time != keys.scrollLockPressed && !ownTap;
    keys.scrollLockPressSeen = false;
    return tapped;
}

void switchBackgroundPlaying(HWND window) {
    BackgroundKeys& keys = g_backgroundKeys;
    g_model.backgroundArmed = !g_model.backgroundArmed;
    // Disarmed behind another window: the releases will go there.
    if (!g_model.backgroundArmed && keys.behind) onKeysLost(window);
    std::fill(std::begin(keys.taken), std::end(keys.taken), false);
    markSettingsChanged();
    showPanelChange(window, repaint(AREA_DISPLAY_0 | AREA_DISPLAY_1));
    listenForScrollLock();
}

KeyHandover handOver(const KBDLLHOOKSTRUCT& key) {
    BackgroundKeys& keys = g_backgroundKeys;
    const bool extended = (key.flags & LLKHF_EXTENDED) != 0;
    const int32_t keyId = (int32_t)(key.scanCode & 0xFF) | (extended ? KEY_EXTENDED : 0);
    const bool up = (key.flags & LLKHF_UP) != 0;
    const WPARAM virtualKey = windowVirtualKey(key.vkCode);
    const bool wasDown = noteDown(keyId, virtualKey, !up);
    // Scroll Lock goes on to the system whatever it does here, so that its light follows.
    if (virtualKey == VK_SCROLL) {
        if (scrollLockTapped(up, wasDown, key.time, key.dwExtraInfo == OWN_TAP))
            return KeyHandover{WM_HOTKEY, BACKGROUND_TAP, (LPARAM)VK_SCROLL << 16, false};
        if (up) listenForScrollLock(); // the light may be off now
        return KeyHandover{};
    }
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
    if (g_model.backgroundArmed) lightScrollLock();
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

void noteKey(HWND window, WPARAM virtualKey, LPARAM keyData) {
    const bool up = (keyData >> 31 & 1) != 0;
    const int32_t keyId = keyIdOf(keyData);
    noteDown(keyId, virtualKey, !up);
    // Scroll Lock reaches the window when no hotkey takes it first, or
    // takes only its press.
    if (virtualKey != VK_SCROLL || g_backgroundKeys.hook) return;
    const bool ownTap = GetMessageExtraInfo() == (LPARAM)OWN_TAP;
    if (!g_backgroundKeys.hotKey && scrollLockTapped(up, (keyData >> 30 & 1) != 0, GetMessageTime(), ownTap)) {
        switchBackgroundPlaying(window);
    } else if (up) {
        listenForScrollLock();
    }
}

void onHotKey(HWND window, WPARAM id) {
    // The hotkey's press, which neither the window nor the hook saw.
    if (id == BACKGROUND_HOT_KEY) g_backgroundKeys.lit = !g_backgroundKeys.lit;
    if (id == BACKGROUND_HOT_KEY || id == BACKGROUND_TAP) switchBackgroundPlaying(window);
}

void onFocusLost(HWND window) {
    BackgroundKeys& keys = g_backgroundKeys;
    keys.behind = !foregroundIsOurs();
    listenForScrollLock();
    if (!g_model.backgroundArmed || !keys.behind) {
        onKeysLost(window);
        return;
    }
    // The keys held go on behind, and the hook follows their releases;
    // those let go already end now.
    PanelChange change;
    for (int32_t keyId = 0; keyId < KEY_ID_COUNT; ++keyId) {
        keys.taken[keyId] = keys.down[keyId] && followedKey(keyId);
        if (!keys.down[keyId]) change = change | releaseKey(keyId);
    }
    if (!keys.down[SPACE_KEY]) change = change | releaseSustain();
    showPanelChange(window, change);
}

void onFocusBack() {
    BackgroundKeys& keys = g_backgroundKeys;
    keys.behind = false;
    std::fill(std::begin(keys.taken), std::end(keys.taken), false);
    listenForScrollLock();
    onKeysBack();
}

void onSessionChange(HWND window, WPARAM change) {
    if (change != WTS_SESSION_LOCK && change != WTS_SESSION_LOGOFF && change != WTS_CONSOLE_DISCONNECT &&
        change != WTS_REMOTE_DISCONNECT) {
        return;
    }
    onKeysLost(window);
    std::fill(std::begin(g_backgroundKeys.down), std::end(g_backgroundKeys.down), false);
    std::fill(std::begin(g_backgroundKeys.taken), std::end(g_backgroundKeys.taken), false);
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
