// Keyboard and timer messages delivered to the window procedure the way the
// system delivers them, and the scan codes the tests press.
#pragma once

#include "app/main_window.h"
#include "input/keyboard_input.h"
#include "input/pitch_bend.h"
#include "tests/fake/fake_win32.h"

namespace scan {
constexpr unsigned Q = 0x10, W = 0x11, E = 0x12, T = 0x14, Y = 0x15, I = 0x17, P = 0x19;
constexpr unsigned Z = 0x2C, C = 0x2E, SLASH = 0x35;
constexpr unsigned TAB = 0x0F, SHIFT = 0x2A, CONTROL = 0x1D, CAPS_LOCK = 0x3A, HOME = 0x147; // Home's extended
constexpr unsigned PAGE_UP = 0x49, PAGE_DOWN = 0x51;
constexpr unsigned SPACE = 0x39, LEFT = 0x4B, RIGHT = 0x4D, UP = 0x48, DOWN = 0x50;
} // namespace scan

constexpr WPARAM VK_SHIFT_KEY = 0x10;
constexpr LPARAM EXTENDED_KEY = 1 << 24;

inline void keyPress(unsigned scanCode, WPARAM virtualKey = 0) {
    MainWndProc(fake::WINDOW, WM_KEYDOWN, virtualKey, fake::pressOf(scanCode));
}
inline void keyRepeat(unsigned scanCode, WPARAM virtualKey = 0) {
    MainWndProc(fake::WINDOW, WM_KEYDOWN, virtualKey, fake::repeatOf(scanCode));
}
inline void keyRelease(unsigned scanCode, WPARAM virtualKey = 0) {
    MainWndProc(fake::WINDOW, WM_KEYUP, virtualKey, fake::releaseOf(scanCode));
}
inline void pageUp(LPARAM keyData = fake::pressOf(scan::PAGE_UP)) {
    MainWndProc(fake::WINDOW, WM_KEYDOWN, VK_PRIOR, keyData);
}
inline void pageDown(LPARAM keyData = fake::pressOf(scan::PAGE_DOWN)) {
    MainWndProc(fake::WINDOW, WM_KEYDOWN, VK_NEXT, keyData);
}
// The window loses the keyboard focus, and gets it back.
inline void loseKeys() { MainWndProc(fake::WINDOW, WM_KILLFOCUS, 0, 0); }
inline void regainKeys() { MainWndProc(fake::WINDOW, WM_SETFOCUS, 0, 0); }
// The Tab key pressed and let go.
inline void pressTab() {
    MainWndProc(fake::WINDOW, WM_KEYDOWN, VK_TAB, fake::pressOf(scan::TAB));
    MainWndProc(fake::WINDOW, WM_KEYUP, VK_TAB, fake::releaseOf(scan::TAB));
}
inline void timerTick() { MainWndProc(fake::WINDOW, WM_TIMER, TIMER_BEND_RAMP, 0); }

// Ctrl and Caps Lock worked as a user works them, by their key messages.
inline void holdControl(bool held) {
    if (held) keyPress(scan::CONTROL, VK_CONTROL);
    if (!held) keyRelease(scan::CONTROL, VK_CONTROL);
}
inline void setCapsLock(bool on) {
    if (g_modifiers.capsLock == on) return;
    keyPress(scan::CAPS_LOCK, VK_CAPITAL);
    keyRelease(scan::CAPS_LOCK, VK_CAPITAL);
}
