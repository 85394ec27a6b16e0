// Playing behind other windows. Scroll Lock arms and disarms it whichever
// window is in front. Armed, with another program's window in front, a
// low-level keyboard hook builds each key's message data and hands the keys
// of the layout in use, Space, Page Up and Page Down to the window procedure
// as its own key messages, keeping them from the window in front. Every
// other key, and every key pressed with Alt or a Windows key held, reaches
// that window; Ctrl, Shift and Caps Lock are noted and passed on. The hook
// is in only while another program's window has the keys: in front, a key
// costs what it always did.
#pragma once

#include "model/key_ids.h"
#include "platform/win32.h"

#include <cstdint>

// WM_HOTKEY's ids: Scroll Lock's hotkey, and its tap as the hook saw it.
constexpr int BACKGROUND_HOT_KEY = 1;
constexpr int BACKGROUND_TAP = 2;

struct BackgroundKeys {
    HWND window = nullptr;
    WNDPROC deliver = nullptr; // where the hook hands a key: the window procedure
    HHOOK hook = nullptr;
    bool hotKey = false;   // Scroll Lock registered as a hotkey
    bool behind = false;   // the window lost the keys to another program's window
    bool passKeys = false; // the keys played behind reach the window in front too
    // The Scroll Lock light as the presses the program saw left it.
    bool lit = false;
    bool scrollLockPressSeen = false; // its release may be a tap
    DWORD scrollLockPressed = 0;      // when
    // Each key as the window's messages or the hook last told of it, and
    // its virtual key, to ask the system whether it is still down.
    bool down[KEY_ID_COUNT] = {};
    uint8_t virtualKeys[KEY_ID_COUNT] = {};
    // Played behind from its press (or held when the window lost the
    // keys): its repeats and release are handed over too.
    bool taken[KEY_ID_COUNT] = {};
};

extern BackgroundKeys g_backgroundKeys;

// Start-up, once the settings are in: Scroll Lock is listened for, armed
// the Scroll Lock light is turned on, and the session's changes are asked for.
void startBackgroundKeys(HWND window, WNDPROC deliver);
// The end: what keys held behind sound ends; the hook and hotkey go.
void stopBackgroundKeys(HWND window);

// Every key message of the window: the keys down, and Scroll Lock.
void noteKey(HWND window, WPARAM virtualKey, LPARAM keyData);
// WM_HOTKEY: Scroll Lock, from the hotkey or the hook.
void onHotKey(HWND window, WPARAM id);

// WM_KILLFOCUS. Not armed, or to a window of the program's own (SETUP, a
// message box): every held key ends, as onKeysLost. To another program's
// window while armed: the keys held go on and their releases come through
// the hook; those let go already end now.
void onFocusLost(HWND window);
// WM_SETFOCUS: the window has the keys again, and reads Ctrl and Caps Lock.
void onFocusBack();

// WM_WTSSESSION_CHANGE: locked, switched away or logged off, the keys held
// are let go elsewhere: everything ends, and the hook forgets them.
void onSessionChange(HWND window, WPARAM change);

// The low-level keyboard hook, called on the window's own thread.
LRESULT CALLBACK backgroundKeyHook(int code, WPARAM message, LPARAM data);
