// A recording fake of the Win32 calls the program makes.
//
// Every call goes into one ordered log with its arguments, but for queries,
// files and the calls no test reads (said where they are answered); results
// come from a per-test script. Windows messages reach the program the way the system
// would deliver them: creating the window sends WM_CREATE to the registered
// window procedure, SendMessageA calls it, a menu choice is posted and
// delivered by dispatchPosted(), and the setup dialog's procedure is called
// with WM_INITDIALOG and the scripted button.
//
// The log lives in fixed storage, so recording never allocates; describing
// it (calls(), midiMessages()) does, and is meant for after the action.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <string>
#include <vector>

namespace fake {

// One name after another, as FN_NAMES spells them.
// clang-format off
enum class Fn {
    RegisterClassExA, CreateWindowExA, ShowWindow, UpdateWindow, SetWindowPos, DestroyWindow, DefWindowProcA,
    SendMessageA, PostQuitMessage, MessageBoxA, SetFocus, LoadIconA, LoadImageA, LoadCursorA, SetCursor,
    GetSysColorBrush, LoadBitmapA, BeginPaint, EndPaint, InvalidateRect, GetDC, ReleaseDC, SetTimer, KillTimer,
    SetCapture, ReleaseCapture, CreatePopupMenu, InsertMenuItemA, TrackPopupMenuEx, DestroyMenu, DialogBoxParamA,
    EndDialog, SendDlgItemMessageA, CreateCompatibleDC, CreateCompatibleBitmap, SelectObject, DeleteDC, DeleteObject,
    GetStockObject, CreatePen, CreateFontIndirectA, BitBlt, StretchBlt, SetStretchBltMode, SetBrushOrgEx, SetBkMode,
    SetTextColor, TextOutA, MoveToEx, LineTo, midiOutGetNumDevs, midiOutGetDevCapsA, midiOutOpen, midiOutReset,
    midiOutClose, midiOutGetErrorTextA, midiOutShortMsg, GetKeyState, MessageBeep, SetBkColor, MessageBoxW,
    Count
};
// clang-format on

const char* name(Fn fn);

constexpr size_t MAX_ARGS = 9;
constexpr size_t TEXT_SIZE = 400;

struct Call {
    Fn fn;
    intptr_t args[MAX_ARGS];
    intptr_t result;      // the handle or value the fake returned
    char text[TEXT_SIZE]; // a string argument, copied
    char text2[64];       // a second one (class name, caption)
};

// The fixed handles of the window under test and of the setup dialog.
extern const HWND WINDOW;
extern const HWND DIALOG;
// A window of another program.
extern const HWND OTHER_WINDOW;
extern const HINSTANCE INSTANCE;

constexpr size_t MAX_DEVICES = 8;
constexpr size_t MAX_SCRIPTED_RESULTS = 8;

struct Script {
    bool registerClassFails = false;
    // A window whose WM_CREATE fails gets WM_DESTROY, as on Windows; Wine
    // sends only WM_NCDESTROY, which the program does not see.
    bool failedCreateSendsDestroy = true;

    // MIDI output service.
    UINT deviceCount = 1;
    const char* deviceNames[MAX_DEVICES] = {};
    MMRESULT openResult = MMSYSERR_NOERROR; // what every open gets
    MMRESULT openResults[MAX_DEVICES] = {}; // else what opening device i gets
    // Results of successive midiOutReset calls; beyond the list, resetResult.
    MMRESULT resetResults[MAX_SCRIPTED_RESULTS] = {};
    size_t resetResultCount = 0;
    MMRESULT resetResult = MMSYSERR_NOERROR;
    MMRESULT shortMessageResult = MMSYSERR_NOERROR;
    // What a reset or a short message on a null handle (no device open)
    // gets; Windows answers MMSYSERR_INVALHANDLE.
    MMRESULT noDeviceResult = MMSYSERR_NOERROR;
    UINT inputCount = 0; // MIDI inputs, and what opening one gets
    MMRESULT inputOpenResult = MMSYSERR_NOERROR;

    // Keyboard: what GetKeyState and GetAsyncKeyState report, by virtual-key code.
    SHORT keyState[256] = {};
    // The window in front, whose thread gets the keys: the program's own
    // windows (WINDOW, DIALOG) are on its thread, OTHER_WINDOW is not.
    HWND foreground = WINDOW;

    // The work area of the screen the window is placed on; an empty one
    // makes GetMonitorInfoA fail.
    RECT workArea = {0, 0, 1280, 1024};

    // The display scale of the window's monitor (96 = 100 %), and whether
    // the system can tell it per window (Windows 10 1607 and later) or
    // only for the whole screen.
    int dpi = 96;
    bool dpiPerWindow = true;

    // The item a popup menu returns (0: closed without a choice), and what
    // its modal loop delivers to the owner while the menu is up.
    UINT menuChoice = 0;
    void (*menuLoop)(HWND owner) = nullptr;

    // The button that ends the setup dialog (IDOK or IDCANCEL), or -1 if
    // the dialog cannot be made; and what LB_GETCURSEL reports then
    // (LB_ERR + 1 = whatever LB_SETCURSEL chose).
    INT_PTR dialogButton = IDCANCEL;
    bool dialogFails = false;
    LRESULT listSelection = LB_ERR - 1;
    LRESULT inputSelection = LB_ERR - 1; // the same for the input list
    // The key layout button checked when OK is pressed; 0: the one set.
    int keysButton = 0;

    // Files, their paths in UTF-8. The program's path and %APPDATA%
    // (null: not set); both folders exist, and others once
    // CreateDirectoryW has made them.
    const char* modulePath = "C:\\Tonvale\\tonvale.exe";
    const char* appData = "C:\\Users\\Musician\\AppData\\Roaming";
    // Documents and %LOCALAPPDATA% (null: the system names none), which exist.
    const char* documents = "C:\\Users\\Musician\\Documents";
    const char* localAppData = "C:\\Users\\Musician\\AppData\\Local";
    // No file or folder can be made in this folder or below it (null: none).
    const char* deniedFolder = nullptr;
    // Bytes WriteFile may still write before the disk is full.
    size_t diskSpace = (size_t)-1;
    bool moveFails = false;
    // What message boxes answer (MessageBoxW), one after another; beyond
    // the list, IDCANCEL. The path the Save As dialog returns (null: cancelled).
    int boxAnswers[MAX_SCRIPTED_RESULTS] = {};
    const char* saveAsPath = nullptr;

    // The clock: the performance counter at 10 MHz, which tests move on, and the local time.
    int64_t performanceCounter = 0;
    // A multimedia timer cannot be had.
    bool timeSetEventFails = false;
    SYSTEMTIME localTime = {2026, 5, 0, 17, 14, 30, 5, 0};
};

extern Script script;

// Clears the log, the script, posted messages and the handle table.
void reset();
// Clears only the log.
void clearLog();
// Counts the calls by function and keeps nothing else, so that a benchmark
// measures the program rather than the log; count() still answers.
void setCountingOnly(bool on);

size_t callCount();
const Call& call(size_t index);
bool overflowed();

// The whole log, or only the named functions, one line per call.
std::vector<std::string> calls();
std::vector<std::string> calls(std::initializer_list<Fn> only);
// The MIDI short messages sent, decoded: "note-on 0x90 60 127",
// "note-off 0x80 60 127", "program 0xC3 1", "bend 0xE0 0 64",
// "control 0xB0 64 127".
std::vector<std::string> midiMessages();
// How many calls of one function are in the log.
size_t count(Fn fn);

// Delivers the messages posted so far (menu choices) to the window procedure;
// with `only`, that message alone, the others kept in their order.
void dispatchPosted(UINT only = 0);

// Whether a window timer with this id was set and has not been killed since
// (destroying the window kills its timers, as on Windows).
bool timerRunning(UINT_PTR id);

// Multimedia one-shots set and neither fired nor killed.
size_t timeEventsPending();
// The clock moves on to the earliest one-shot's time, unless it is there
// already, and the one-shot's callback runs, as the system's timer thread
// would run it; false when none is set.
bool fireNextTimeEvent();

// Files live in memory, by path, and are seen by their content; the file
// calls are not logged.
void putFile(const std::string& path, const std::string& content);
// The content of a file, or null when there is none.
const std::string* fileContent(const std::string& path);
std::vector<std::string> filePaths();
// The window as the user or the system moved it; GetWindowRect answers it.
void moveWindow(int x, int y);

// The label the fake gave a handle ("window", "HAND", "menu2", "null"...).
std::string label(const void* handle);

// A short message decoded as midiMessages() shows it.
std::string describeShortMessage(DWORD message);

// Builds a key message's lParam: scan code (0x100 added for an extended key),
// previous state and transition bits.
LPARAM keyData(unsigned scanCode, bool previouslyDown, bool releasing);
inline LPARAM pressOf(unsigned scanCode) { return keyData(scanCode, false, false); }
inline LPARAM repeatOf(unsigned scanCode) { return keyData(scanCode, true, false); }
inline LPARAM releaseOf(unsigned scanCode) { return keyData(scanCode, true, true); }
// A mouse message's lParam for a point.
LPARAM pointData(int x, int y);

// A key event handed to the installed low-level keyboard hook, as the
// system hands it: the virtual key as the window's messages have it (the
// hook is told left or right Ctrl, Shift and Alt), scan code with 0x100
// for an extended key. True when the hook kept it from the window in
// front; false too when no hook is installed.
bool lowLevelKey(WPARAM virtualKey, unsigned scanCode, bool releasing, bool altHeld = false);
// A key registered as a hotkey, pressed: WM_HOTKEY goes to its window.
// False when no hotkey is registered for it.
bool hotKey(WPARAM virtualKey);

} // namespace fake

using Lines = std::vector<std::string>;
