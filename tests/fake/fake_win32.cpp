#include "tests/fake/fake_win32.h"

#include "resources/resource.h"

#include <algorithm>
#include <chrono>
#include <codecvt>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <locale>
#include <map>
#include <mutex>
#include <thread>

namespace {

// The system's codes the fake answers with; the program itself names none of them.
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_DISK_FULL = 112;

} // namespace

namespace fake {

const HWND WINDOW = (HWND)(uintptr_t)0x1001;
const HWND DIALOG = (HWND)(uintptr_t)0x1002;
const HINSTANCE INSTANCE = (HINSTANCE)(uintptr_t)0x1003;
const HWND OTHER_WINDOW = (HWND)(uintptr_t)0x1004;

Script script;

namespace {

// clang-format off
const char* const FN_NAMES[] = {
    "RegisterClassExA", "CreateWindowExA", "ShowWindow", "UpdateWindow", "SetWindowPos", "DestroyWindow",
    "DefWindowProcA", "SendMessageA", "PostQuitMessage", "MessageBoxA", "SetFocus", "LoadIconA", "LoadImageA",
    "LoadCursorA", "SetCursor", "GetSysColorBrush", "LoadBitmapA", "BeginPaint", "EndPaint",
    "InvalidateRect", "GetDC", "ReleaseDC", "SetTimer", "KillTimer", "SetCapture", "ReleaseCapture", "CreatePopupMenu",
    "InsertMenuItemA", "TrackPopupMenuEx", "DestroyMenu", "DialogBoxParamA", "EndDialog", "SendDlgItemMessageA",
    "CreateCompatibleDC", "CreateCompatibleBitmap", "SelectObject", "DeleteDC", "DeleteObject", "GetStockObject",
    "CreatePen", "CreateFontIndirectA", "BitBlt", "StretchBlt", "SetStretchBltMode", "SetBrushOrgEx", "SetBkMode",
    "SetTextColor", "TextOutA", "MoveToEx", "LineTo", "midiOutGetNumDevs", "midiOutGetDevCapsA", "midiOutOpen",
    "midiOutReset", "midiOutClose", "midiOutGetErrorTextA", "midiOutShortMsg", "GetKeyState", "MessageBeep",
    "SetBkColor", "MessageBoxW",
};
// clang-format on
static_assert(sizeof FN_NAMES / sizeof FN_NAMES[0] == (size_t)Fn::Count, "a name for every function");

// Fixed storage throughout: recording a call must never allocate.
constexpr size_t LOG_CAPACITY = 1 << 15;
Call callLog[LOG_CAPACITY];
size_t logSize;
bool logOverflow;
// Counting only: each call is counted by function and nothing else kept.
bool countingOnly;
size_t callCounts[(size_t)Fn::Count];

struct HandleLabel {
    uintptr_t handle;
    char text[32];
};
constexpr size_t LABEL_CAPACITY = 1024;
HandleLabel labels[LABEL_CAPACITY];
size_t labelCount;
uintptr_t nextHandle;

enum Kind { KIND_DC, KIND_BITMAP, KIND_MENU, KIND_PEN, KIND_FONT, KIND_MIDI, KIND_INPUT, KIND_COUNT };
const char* const KIND_PREFIX[KIND_COUNT] = {"dc", "bitmap", "menu", "pen", "font", "midi", "input"};
unsigned kindSerial[KIND_COUNT];

struct PostedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
constexpr size_t POSTED_CAPACITY = 64;
PostedMessage posted[POSTED_CAPACITY];
size_t postedCount;
// The take writer posts from its own thread.
std::mutex postedLock;

// Queued for the window; false when the queue is full.
bool post(const PostedMessage& message) {
    const std::lock_guard<std::mutex> hold(postedLock);
    if (postedCount == POSTED_CAPACITY) return false;
    posted[postedCount++] = message;
    return true;
}

bool takePosted(PostedMessage& message, UINT only) {
    const std::lock_guard<std::mutex> hold(postedLock);
    size_t i = 0;
    while (i < postedCount && only && posted[i].message != only) ++i;
    if (i == postedCount) return false;
    message = posted[i];
    std::memmove(posted + i, posted + i + 1, (postedCount - i - 1) * sizeof posted[0]);
    --postedCount;
    return true;
}

// Set and not yet killed, as the system keeps them per window and id.
struct RunningTimer {
    HWND window;
    UINT_PTR id;
};
constexpr size_t TIMER_CAPACITY = 8;
RunningTimer timers[TIMER_CAPACITY];
size_t timerCount;

void stopTimers(HWND window, UINT_PTR id, bool anyId) {
    size_t kept = 0;
    for (size_t i = 0; i < timerCount; ++i) {
        if (timers[i].window != window || (!anyId && timers[i].id != id)) timers[kept++] = timers[i];
    }
    timerCount = kept;
}

void startTimer(HWND window, UINT_PTR id) {
    stopTimers(window, id, false);
    if (timerCount < TIMER_CAPACITY) timers[timerCount++] = {window, id};
}

// Multimedia one-shots: set, not yet fired nor killed.
struct TimeEvent {
    UINT id;
    int64_t due; // on the performance counter
    LPTIMECALLBACK callback;
    DWORD_PTR user;
};
constexpr size_t TIME_EVENT_CAPACITY = 8;
TimeEvent timeEvents[TIME_EVENT_CAPACITY];
size_t timeEventCount;
UINT lastTimeEventId;
const int64_t COUNTS_PER_MS = 10000;

void removeTimeEvent(size_t i) { timeEvents[i] = timeEvents[--timeEventCount]; }

// Inserted into the setup dialog's list, for LB_GETTEXT.
constexpr size_t LIST_CAPACITY = 16;
// The setup dialog's two lists, the devices' and the inputs', with the
// selection LB_SETCURSEL made.
struct ListBox {
    char items[LIST_CAPACITY][64];
    size_t count;
    LRESULT current;
} lists[2];
ListBox& listOf(int itemId) { return lists[itemId == IDC_INPUT_LIST]; }

RECT windowRect;

// The files, used by the take writer's thread too: every file call holds the lock.
std::recursive_mutex fileLock;
using FileHold = std::lock_guard<std::recursive_mutex>;
std::map<std::string, std::string> files;
std::vector<std::string> madeFolders;
thread_local DWORD lastError;
struct OpenFile {
    bool open;
    std::string path;
    size_t position;
};
constexpr size_t OPEN_FILE_CAPACITY = 4;
OpenFile openFiles[OPEN_FILE_CAPACITY];
const uintptr_t FIRST_FILE_HANDLE = 0x5000;

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

bool folderExists(const std::string& folder) {
    return folder == folderOf(script.modulePath) || (script.appData && folder == script.appData) ||
           (script.documents && folder == script.documents) || (script.localAppData && folder == script.localAppData) ||
           std::find(madeFolders.begin(), madeFolders.end(), folder) != madeFolders.end();
}

bool denied(const std::string& path) {
    return script.deniedFolder && path.compare(0, std::strlen(script.deniedFolder), script.deniedFolder) == 0;
}

BOOL failWith(DWORD error) {
    lastError = error;
    return FALSE;
}

OpenFile* openFileOf(HANDLE handle) {
    const uintptr_t i = (uintptr_t)handle - FIRST_FILE_HANDLE;
    return i < OPEN_FILE_CAPACITY && openFiles[i].open ? &openFiles[i] : nullptr;
}

// Paths reach the fake as wide text and are kept as UTF-8, as the tests write them.
using Utf8 = std::wstring_convert<std::codecvt_utf8<wchar_t>>;
std::string utf8(const wchar_t* text) { return Utf8().to_bytes(text); }

// UTF-8 into a wide buffer of size, cut and terminated; the whole length in wide characters.
size_t widen(const std::string& text, wchar_t* out, size_t size) {
    const std::wstring wide = Utf8().from_bytes(text);
    if (size > 0) out[wide.copy(out, size - 1)] = 0;
    return wide.size();
}

size_t scriptedAnswers;

// Events and threads, a thread's handle signalled when it returns. Never
// destroyed, nor the objects: a take writer may still wait on them as the
// test program exits, and a handle stays good after CloseHandle.
struct SyncObject {
    bool manualReset;
    bool signalled;
};
std::deque<SyncObject>& syncObjects = *new std::deque<SyncObject>;
std::mutex& syncLock = *new std::mutex;
std::condition_variable& syncChanged = *new std::condition_variable;

HANDLE newSync(bool manualReset, bool signalled) {
    const std::lock_guard<std::mutex> hold(syncLock);
    syncObjects.push_back(SyncObject{manualReset, signalled});
    return &syncObjects.back();
}

BOOL signal(HANDLE handle, bool on) {
    const std::lock_guard<std::mutex> hold(syncLock);
    static_cast<SyncObject*>(handle)->signalled = on;
    syncChanged.notify_all();
    return TRUE;
}

DWORD waitFor(HANDLE handle, DWORD milliseconds) {
    std::unique_lock<std::mutex> hold(syncLock);
    SyncObject* object = static_cast<SyncObject*>(handle);
    const auto ready = [object] { return object->signalled; };
    if (milliseconds == INFINITE) syncChanged.wait(hold, ready);
    if (milliseconds != INFINITE && !syncChanged.wait_for(hold, std::chrono::milliseconds(milliseconds), ready))
        return WAIT_TIMEOUT;
    if (!object->manualReset) object->signalled = false;
    return WAIT_OBJECT_0;
}

WNDPROC windowProc;
// The one low-level keyboard hook and the one hotkey the program may hold.
HOOKPROC hookProc;
DWORD hookTime;
struct HotKey {
    HWND window;
    int id;
    UINT virtualKey; // 0: none registered
} hotKeyHeld;
int quitCode;
bool quitPosted;
size_t resetCalls;
int checkedButton;
INT_PTR endDialogResult;

const LONG WINDOW_X = 415;
const LONG WINDOW_Y = 746;

void copyText(char* to, size_t size, const char* from) {
    if (!from) {
        to[0] = 0;
        return;
    }
    std::snprintf(to, size, "%s", from);
}

Call& record(Fn fn, std::initializer_list<intptr_t> args, const char* text = nullptr, const char* text2 = nullptr) {
    static Call spill;
    if (countingOnly) {
        ++callCounts[(size_t)fn];
        return spill;
    }
    if (logSize == LOG_CAPACITY) {
        logOverflow = true;
        return spill;
    }
    Call& call = callLog[logSize++];
    call.fn = fn;
    std::memset(call.args, 0, sizeof call.args);
    size_t i = 0;
    for (intptr_t arg : args) call.args[i++] = arg;
    call.result = 0;
    copyText(call.text, sizeof call.text, text);
    copyText(call.text2, sizeof call.text2, text2);
    return call;
}

uintptr_t addLabel(uintptr_t handle, const char* format, ...) {
    if (labelCount < LABEL_CAPACITY) {
        HandleLabel& entry = labels[labelCount++];
        entry.handle = handle;
        va_list args;
        va_start(args, format);
        std::vsnprintf(entry.text, sizeof entry.text, format, args);
        va_end(args);
    }
    return handle;
}

uintptr_t newHandle(Kind kind) { return addLabel(nextHandle++, "%s%u", KIND_PREFIX[kind], ++kindSerial[kind]); }

uintptr_t newNamedHandle(const char* name) { return addLabel(nextHandle++, "%s", name); }

// A resource name is either text or a small integer id.
std::string resourceName(LPCSTR name) {
    if ((uintptr_t)name < 0x10000) return "#" + std::to_string((uintptr_t)name);
    return name;
}

std::string format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string handleArg(intptr_t value) { return label((const void*)value); }

std::string rgb(intptr_t color) {
    return format("RGB(%d,%d,%d)", (int)(color & 0xFF), (int)((color >> 8) & 0xFF), (int)((color >> 16) & 0xFF));
}

std::string quoted(const char* text) { return std::string("\"") + text + "\""; }

std::string listMessage(intptr_t message) {
    switch (message) {
    case LB_INSERTSTRING: return "LB_INSERTSTRING";
    case LB_SETCURSEL: return "LB_SETCURSEL";
    case LB_GETCURSEL: return "LB_GETCURSEL";
    default: return format("0x%04x", (unsigned)message);
    }
}

std::string menuItemSize(intptr_t size) {
    if ((size_t)size == offsetof(MENUITEMINFOA, hbmpItem)) return "legacy";
    if ((size_t)size == sizeof(MENUITEMINFOA)) return "full";
    return std::to_string(size);
}

std::string describe(const Call& c) {
    const intptr_t* a = c.args;
    std::string n = name(c.fn);
    switch (c.fn) {
    case Fn::RegisterClassExA:
        return n + format(" \"%s\" style 0x%x extra %d %d ", c.text, (unsigned)a[0], (int)a[2], (int)a[3]) +
               handleArg(a[4]) + " icon " + handleArg(a[5]) + " small " + handleArg(c.result) + " cursor " +
               handleArg(a[6]) + " brush " + handleArg(a[7]) + (a[8] ? " menu" : " no menu");
    case Fn::CreateWindowExA:
        return n +
               format(" ex 0x%x \"%s\" \"%s\" style 0x%08x at %d,%d size %dx%d parent ", (unsigned)a[0], c.text2,
                      c.text, (unsigned)a[1], (int)a[2], (int)a[3], (int)a[4], (int)a[5]) +
               handleArg(a[6]) + " menu " + handleArg(a[7]) + " " + handleArg(a[8]);
    case Fn::ShowWindow: return n + " " + handleArg(a[0]) + format(" %d", (int)a[1]);
    case Fn::SetWindowPos:
        return n + " " + handleArg(a[0]) +
               format(" at %d,%d size %dx%d flags 0x%x", (int)a[1], (int)a[2], (int)a[3], (int)a[4], (unsigned)a[5]);
    case Fn::CreateFontIndirectA:
        return n + format(" height %d ", (int)a[0]) + quoted(c.text) + " -> " + handleArg(c.result);
    case Fn::StretchBlt:
        return n + " " + handleArg(a[0]) + format(" %d,%d %dx%d from ", (int)a[1], (int)a[2], (int)a[3], (int)a[4]) +
               handleArg(a[5]) + format(" %dx%d", (int)a[6], (int)a[7]);
    case Fn::SetStretchBltMode:
    case Fn::SetBrushOrgEx: return n + " " + handleArg(a[0]) + format(" %d %d", (int)a[1], (int)a[2]);
    case Fn::DefWindowProcA:
    case Fn::SendMessageA:
        return n + " " + handleArg(a[0]) +
               format(" 0x%04x %lld %lld", (unsigned)a[1], (long long)a[2], (long long)a[3]);
    case Fn::PostQuitMessage: return n + format(" %d", (int)a[0]);
    case Fn::MessageBoxA:
    case Fn::MessageBoxW:
        return n + " " + handleArg(a[0]) + " " + quoted(c.text) + " caption " +
               (a[1] ? quoted(c.text2) : std::string("null")) + format(" 0x%x", (unsigned)a[2]);
    case Fn::LoadImageA:
        return n + " " + handleArg(a[0]) + " " + c.text +
               format(" type %d %dx%d flags 0x%x", (int)a[1], (int)a[2], (int)a[3], (unsigned)a[4]);
    case Fn::LoadIconA:
    case Fn::LoadCursorA:
    case Fn::LoadBitmapA: return n + " " + handleArg(a[0]) + " " + c.text;
    case Fn::GetSysColorBrush: return n + format(" %d", (int)a[0]);
    case Fn::InvalidateRect:
        return n + " " + handleArg(a[0]) +
               (a[1] ? format(" %d,%d,%d,%d", (int)a[2], (int)a[3], (int)a[4], (int)a[5]) : std::string(" all")) +
               (a[6] ? " TRUE" : " FALSE");
    case Fn::SetTimer:
        return n + " " + handleArg(a[0]) + format(" id %lld %ums", (long long)a[1], (unsigned)a[2]) +
               (a[3] ? " proc" : "");
    case Fn::KillTimer: return n + " " + handleArg(a[0]) + format(" id %lld", (long long)a[1]);
    case Fn::InsertMenuItemA:
        return n + " " + handleArg(a[0]) + format(" at %u%s size ", (unsigned)a[1], a[2] ? "" : " by command") +
               menuItemSize(a[3]) +
               format(" mask 0x%x type 0x%x id %u ", (unsigned)a[4], (unsigned)a[5], (unsigned)a[6]) + quoted(c.text);
    case Fn::TrackPopupMenuEx:
        return n + " " + handleArg(a[0]) + format(" 0x%x at %d,%d owner ", (unsigned)a[1], (int)a[2], (int)a[3]) +
               handleArg(a[4]) + (a[5] ? " params" : " null");
    case Fn::DialogBoxParamA:
        return n + " " + handleArg(a[0]) + " " + c.text + " owner " + handleArg(a[1]) +
               format(" param %lld", (long long)a[2]);
    case Fn::EndDialog: return n + " " + handleArg(a[0]) + format(" %lld", (long long)a[1]);
    case Fn::SendDlgItemMessageA:
        return n + " " + handleArg(a[0]) + format(" %d ", (int)a[1]) + listMessage(a[2]) +
               format(" %lld", (long long)a[3]) +
               (a[2] == LB_INSERTSTRING ? " " + quoted(c.text) : format(" %lld", (long long)a[4]));
    case Fn::CreateCompatibleBitmap:
        return n + " " + handleArg(a[0]) + format(" %dx%d", (int)a[1], (int)a[2]) + " -> " + handleArg(c.result);
    case Fn::SelectObject:
    case Fn::ReleaseDC: return n + " " + handleArg(a[0]) + " " + handleArg(a[1]);
    case Fn::GetStockObject: return n + format(" %d", (int)a[0]);
    case Fn::GetKeyState: return n + format(" 0x%02X", (unsigned)a[0]);
    case Fn::MessageBeep: return n + format(" 0x%x", (unsigned)a[0]);
    case Fn::CreatePen:
        return n + format(" style %d width %d ", (int)a[0], (int)a[1]) + rgb(a[2]) + " -> " + handleArg(c.result);
    case Fn::BitBlt:
        return n + " " + handleArg(a[0]) + format(" %d,%d %dx%d from ", (int)a[1], (int)a[2], (int)a[3], (int)a[4]) +
               handleArg(a[5]) + format(" %d,%d", (int)a[6], (int)a[7]) +
               (a[8] == (intptr_t)SRCCOPY ? std::string("") : format(" rop 0x%x", (unsigned)a[8]));
    case Fn::SetBkMode: return n + " " + handleArg(a[0]) + format(" %d", (int)a[1]);
    case Fn::SetTextColor:
    case Fn::SetBkColor: return n + " " + handleArg(a[0]) + " " + rgb(a[1]);
    case Fn::TextOutA:
        return n + " " + handleArg(a[0]) + format(" %d,%d ", (int)a[1], (int)a[2]) + quoted(c.text) +
               format(" %d", (int)a[3]);
    case Fn::MoveToEx:
    case Fn::LineTo: return n + " " + handleArg(a[0]) + format(" %d,%d", (int)a[1], (int)a[2]);
    case Fn::midiOutGetDevCapsA: return n + format(" %lld size %u", (long long)a[0], (unsigned)a[1]);
    case Fn::midiOutOpen:
        return n + format(" device %u callback ", (unsigned)a[0]) + handleArg(a[1]) +
               format(" instance %lld flags 0x%x -> ", (long long)a[2], (unsigned)a[3]) +
               (c.result ? handleArg(c.result) : std::string("failed"));
    case Fn::midiOutGetErrorTextA: return n + format(" %u size %u", (unsigned)a[0], (unsigned)a[1]);
    case Fn::midiOutShortMsg: return n + " " + handleArg(a[0]) + " " + describeShortMessage((DWORD)a[1]);
    case Fn::CreatePopupMenu:
    case Fn::CreateCompatibleDC:
    case Fn::GetDC: return n + (a[0] ? " " + handleArg(a[0]) : std::string("")) + " -> " + handleArg(c.result);
    case Fn::ReleaseCapture:
    case Fn::midiOutGetNumDevs: return n;
    default: // the calls that take one handle
        return n + " " + handleArg(a[0]);
    }
}

LRESULT deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!windowProc) return 0;
    return windowProc(window, message, wParam, lParam);
}

} // namespace

const char* name(Fn fn) { return FN_NAMES[(size_t)fn]; }

void clearLog() {
    logSize = 0;
    logOverflow = false;
    std::memset(callCounts, 0, sizeof callCounts);
}

void setCountingOnly(bool on) {
    clearLog();
    countingOnly = on;
}

void reset() {
    setCountingOnly(false);
    script = Script();
    labelCount = 0;
    nextHandle = 0x2000;
    std::memset(kindSerial, 0, sizeof kindSerial);
    {
        const std::lock_guard<std::mutex> hold(postedLock);
        postedCount = 0;
    }
    timerCount = 0;
    timeEventCount = 0;
    lastTimeEventId = 0;
    windowProc = nullptr;
    hookProc = nullptr;
    hotKeyHeld = HotKey{};
    quitCode = 0;
    quitPosted = false;
    resetCalls = 0;
    checkedButton = 0;
    endDialogResult = 0;
    for (ListBox& list : lists) list = ListBox{{}, 0, LB_ERR};
    windowRect = RECT{};
    {
        const FileHold hold(fileLock);
        files.clear();
        madeFolders.clear();
        for (OpenFile& file : openFiles) file = OpenFile{};
        scriptedAnswers = 0;
    }
    addLabel((uintptr_t)WINDOW, "window");
    addLabel((uintptr_t)DIALOG, "dialog");
    addLabel((uintptr_t)INSTANCE, "instance");
    addLabel((uintptr_t)OTHER_WINDOW, "other window");
}

size_t callCount() { return logSize; }
const Call& call(size_t index) { return callLog[index]; }
bool overflowed() { return logOverflow; }

std::vector<std::string> calls() {
    std::vector<std::string> lines;
    for (size_t i = 0; i < logSize; ++i) lines.push_back(describe(callLog[i]));
    return lines;
}

std::vector<std::string> calls(std::initializer_list<Fn> only) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < logSize; ++i) {
        for (Fn fn : only) {
            if (callLog[i].fn == fn) lines.push_back(describe(callLog[i]));
        }
    }
    return lines;
}

std::vector<std::string> midiMessages() {
    std::vector<std::string> lines;
    for (size_t i = 0; i < logSize; ++i) {
        if (callLog[i].fn == Fn::midiOutShortMsg) lines.push_back(describeShortMessage((DWORD)callLog[i].args[1]));
    }
    return lines;
}

size_t count(Fn fn) {
    if (countingOnly) return callCounts[(size_t)fn];
    size_t n = 0;
    for (size_t i = 0; i < logSize; ++i) n += callLog[i].fn == fn;
    return n;
}

void dispatchPosted(UINT only) {
    PostedMessage next;
    while (takePosted(next, only)) deliver(next.window, next.message, next.wParam, next.lParam);
}

bool timerRunning(UINT_PTR id) {
    for (size_t i = 0; i < timerCount; ++i) {
        if (timers[i].id == id) return true;
    }
    return false;
}

size_t timeEventsPending() { return timeEventCount; }

bool fireNextTimeEvent() {
    if (timeEventCount == 0) return false;
    size_t next = 0;
    for (size_t i = 1; i < timeEventCount; ++i) {
        if (timeEvents[i].due < timeEvents[next].due) next = i;
    }
    const TimeEvent event = timeEvents[next];
    removeTimeEvent(next);
    if (script.performanceCounter < event.due) script.performanceCounter = event.due;
    event.callback(event.id, 0, event.user, 0, 0);
    return true;
}

std::string label(const void* handle) {
    if (!handle) return "null";
    for (size_t i = 0; i < labelCount; ++i) {
        if (labels[i].handle == (uintptr_t)handle) return labels[i].text;
    }
    return format("%p", handle);
}

std::string describeShortMessage(DWORD message) {
    const unsigned status = message & 0xFF;
    const unsigned data1 = (message >> 8) & 0xFF;
    const unsigned data2 = (message >> 16) & 0xFF;
    std::string high = (message >> 24) ? format(" high 0x%02x", (unsigned)(message >> 24)) : "";
    switch (status & 0xF0) {
    case 0x80: return format("note-off 0x%02X %u %u", status, data1, data2) + high;
    case 0x90: return format("note-on 0x%02X %u %u", status, data1, data2) + high;
    case 0xB0: return format("control 0x%02X %u %u", status, data1, data2) + high;
    case 0xC0: return format("program 0x%02X %u", status, data1) + (data2 ? format(" %u", data2) : "") + high;
    case 0xE0: return format("bend 0x%02X %u %u", status, data1, data2) + high;
    default: return format("message 0x%08X", (unsigned)message);
    }
}

LPARAM keyData(unsigned scanCode, bool previouslyDown, bool releasing) {
    DWORD bits = 1 | (scanCode & 0x1FF) << 16; // with 0x100, the extended flag
    if (previouslyDown) bits |= 1u << 30;
    if (releasing) bits |= 1u << 31;
    return (LPARAM)bits;
}

LPARAM pointData(int x, int y) { return (LPARAM)(DWORD)((WORD)x | (DWORD)(WORD)y << 16); }

bool lowLevelKey(WPARAM virtualKey, unsigned scanCode, bool releasing, bool altHeld) {
    if (!hookProc) return false;
    const bool extended = (scanCode & 0x100) != 0;
    DWORD vk = (DWORD)virtualKey;
    if (vk == VK_CONTROL) vk = extended ? VK_RCONTROL : VK_LCONTROL;
    if (vk == VK_MENU) vk = extended ? VK_RMENU : VK_LMENU;
    if (vk == VK_SHIFT) vk = (scanCode & 0xFF) == 0x36 ? VK_RSHIFT : VK_LSHIFT;
    hookTime += 10; // a hand's pace, in milliseconds
    KBDLLHOOKSTRUCT key = {vk, scanCode & 0xFF, 0, hookTime, 0};
    key.flags = (extended ? LLKHF_EXTENDED : 0) | (releasing ? LLKHF_UP : 0) | (altHeld ? LLKHF_ALTDOWN : 0);
    const WPARAM message = (releasing ? WM_KEYUP : WM_KEYDOWN) + (altHeld ? WM_SYSKEYDOWN - WM_KEYDOWN : 0);
    return hookProc(HC_ACTION, message, (LPARAM)&key) != 0;
}

bool hotKey(WPARAM virtualKey) {
    if (hotKeyHeld.virtualKey == 0 || hotKeyHeld.virtualKey != virtualKey) return false;
    deliver(hotKeyHeld.window, WM_HOTKEY, (WPARAM)hotKeyHeld.id, (LPARAM)(virtualKey << 16));
    return true;
}

void putFile(const std::string& path, const std::string& content) {
    const FileHold hold(fileLock);
    files[path] = content;
}

const std::string* fileContent(const std::string& path) {
    const FileHold hold(fileLock);
    const auto found = files.find(path);
    return found == files.end() ? nullptr : &found->second;
}

std::vector<std::string> filePaths() {
    const FileHold hold(fileLock);
    std::vector<std::string> paths;
    for (const auto& file : files) paths.push_back(file.first);
    return paths;
}

void moveWindow(int x, int y) {
    windowRect = RECT{x, y, x + windowRect.right - windowRect.left, y + windowRect.bottom - windowRect.top};
}

} // namespace fake

using fake::Fn;
using fake::record;
using fake::script;

// USER32

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* c) {
    fake::Call& call =
        record(Fn::RegisterClassExA,
               {(intptr_t)c->style, (intptr_t)c->lpfnWndProc, c->cbClsExtra, c->cbWndExtra, (intptr_t)c->hInstance,
                (intptr_t)c->hIcon, (intptr_t)c->hCursor, (intptr_t)c->hbrBackground, (intptr_t)c->lpszMenuName},
               c->lpszClassName);
    call.result = (intptr_t)c->hIconSm;
    if (c->cbSize != sizeof *c) return 0; // as the system refuses it
    if (script.registerClassFails) return 0;
    fake::windowProc = c->lpfnWndProc;
    return 0xC001;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, void* param) {
    record(
        Fn::CreateWindowExA,
        {(intptr_t)exStyle, (intptr_t)style, x, y, width, height, (intptr_t)parent, (intptr_t)menu, (intptr_t)instance},
        windowName, className);
    (void)param;
    fake::windowRect = RECT{x, y, x + width, y + height};
    // As the system does: a window procedure that fails WM_CREATE gets its
    // window destroyed before CreateWindowEx returns null.
    if (fake::deliver(fake::WINDOW, WM_CREATE, 0, 0) == -1) {
        if (script.failedCreateSendsDestroy) fake::deliver(fake::WINDOW, WM_DESTROY, 0, 0);
        return nullptr;
    }
    return fake::WINDOW;
}

BOOL WINAPI SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags) {
    record(Fn::SetWindowPos, {(intptr_t)window, x, y, width, height, (intptr_t)flags});
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand) {
    record(Fn::ShowWindow, {(intptr_t)window, showCommand});
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND window) {
    record(Fn::UpdateWindow, {(intptr_t)window});
    return TRUE;
}

BOOL WINAPI DestroyWindow(HWND window) {
    record(Fn::DestroyWindow, {(intptr_t)window});
    fake::deliver(window, WM_DESTROY, 0, 0);
    fake::stopTimers(window, 0, true);
    return TRUE;
}

BOOL WINAPI GetMessageA(MSG* msg, HWND, UINT, UINT) {
    // The fake's queue holds the posted messages; once they are gone the
    // loop ends as if the quit message had come, so no test can hang.
    fake::PostedMessage next;
    if (fake::takePosted(next, 0)) {
        *msg = MSG{next.window, next.message, next.wParam, next.lParam, 0, {0, 0}};
        return TRUE;
    }
    *msg = MSG{nullptr, WM_QUIT, (WPARAM)fake::quitCode, 0, 0, {0, 0}};
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    return fake::deliver(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    record(Fn::DefWindowProcA, {(intptr_t)window, (intptr_t)message, (intptr_t)wParam, lParam});
    return 0;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    record(Fn::SendMessageA, {(intptr_t)window, (intptr_t)message, (intptr_t)wParam, lParam});
    return fake::deliver(window, message, wParam, lParam);
}

// Posting: queued, not logged.
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return fake::post({window, message, wParam, lParam});
}

BOOL WINAPI PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return fake::post({window, message, wParam, lParam});
}

void WINAPI PostQuitMessage(int exitCode) {
    record(Fn::PostQuitMessage, {exitCode});
    fake::quitCode = exitCode;
    fake::quitPosted = true;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    record(Fn::MessageBoxA, {(intptr_t)owner, (intptr_t)caption, (intptr_t)type}, text, caption);
    return IDOK;
}

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    record(Fn::MessageBoxW, {(intptr_t)owner, (intptr_t)caption, (intptr_t)type}, fake::utf8(text).c_str(),
           caption ? fake::utf8(caption).c_str() : nullptr);
    return fake::scriptedAnswers < fake::MAX_SCRIPTED_RESULTS && script.boxAnswers[fake::scriptedAnswers]
               ? script.boxAnswers[fake::scriptedAnswers++]
               : IDCANCEL;
}

HWND WINAPI SetFocus(HWND window) {
    record(Fn::SetFocus, {(intptr_t)window});
    return nullptr;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    const std::string resource = fake::resourceName(name);
    fake::Call& call = record(Fn::LoadIconA, {(intptr_t)instance}, resource.c_str());
    call.result = (intptr_t)fake::newNamedHandle(resource.c_str());
    return (HICON)call.result;
}

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags) {
    const std::string resource = fake::resourceName(name);
    fake::Call& call =
        record(Fn::LoadImageA, {(intptr_t)instance, (intptr_t)type, width, height, (intptr_t)flags}, resource.c_str());
    call.result = (intptr_t)fake::addLabel(fake::nextHandle++, "%s-%dx%d", resource.c_str(), width, height);
    return (HANDLE)call.result;
}

// A query: answered, not logged. The small icon's size at 96 DPI.
int WINAPI GetSystemMetrics(int index) { return index == SM_CXSMICON || index == SM_CYSMICON ? 16 : 0; }

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    const std::string resource = fake::resourceName(name);
    fake::Call& call = record(Fn::LoadCursorA, {(intptr_t)instance}, resource.c_str());
    call.result = (intptr_t)fake::newNamedHandle(resource == "#32512" ? "IDC_ARROW" : resource.c_str());
    return (HCURSOR)call.result;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    record(Fn::SetCursor, {(intptr_t)cursor});
    return nullptr;
}

HBRUSH WINAPI GetSysColorBrush(int index) {
    fake::Call& call = record(Fn::GetSysColorBrush, {index});
    call.result = (intptr_t)fake::addLabel(fake::nextHandle++, "sysbrush%d", index);
    return (HBRUSH)call.result;
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR name) {
    const std::string resource = fake::resourceName(name);
    fake::Call& call = record(Fn::LoadBitmapA, {(intptr_t)instance}, resource.c_str());
    call.result = (intptr_t)fake::newNamedHandle(resource.c_str());
    return (HBITMAP)call.result;
}

HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT* paint) {
    record(Fn::BeginPaint, {(intptr_t)window});
    std::memset(paint, 0, sizeof *paint);
    paint->hdc = (HDC)fake::newNamedHandle("paintDC");
    return paint->hdc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT*) {
    record(Fn::EndPaint, {(intptr_t)window});
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT* r, BOOL erase) {
    if (r) {
        record(Fn::InvalidateRect, {(intptr_t)window, 1, r->left, r->top, r->right, r->bottom, erase});
    } else {
        record(Fn::InvalidateRect, {(intptr_t)window, 0, 0, 0, 0, 0, erase});
    }
    return TRUE;
}

HDC WINAPI GetDC(HWND window) {
    fake::Call& call = record(Fn::GetDC, {(intptr_t)window});
    call.result = (intptr_t)fake::newNamedHandle("windowDC");
    return (HDC)call.result;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
    record(Fn::ReleaseDC, {(intptr_t)window, (intptr_t)dc});
    return 1;
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerFunc) {
    record(Fn::SetTimer, {(intptr_t)window, (intptr_t)id, (intptr_t)elapse, (intptr_t)timerFunc});
    fake::startTimer(window, id);
    return id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    record(Fn::KillTimer, {(intptr_t)window, (intptr_t)id});
    fake::stopTimers(window, id, false);
    return TRUE;
}

SHORT WINAPI GetKeyState(int virtualKey) {
    record(Fn::GetKeyState, {virtualKey});
    return script.keyState[virtualKey & 0xFF];
}

// Answered, not logged.
SHORT WINAPI GetAsyncKeyState(int virtualKey) { return (SHORT)(script.keyState[virtualKey & 0xFF] & 0x8000); }

// The one low-level keyboard hook and the one hotkey: kept, not logged;
// lowLevelKey() and hotKey() use them.
HHOOK WINAPI SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE, DWORD) {
    if (idHook != WH_KEYBOARD_LL) return nullptr;
    fake::hookProc = proc;
    return (HHOOK)fake::newNamedHandle("hook");
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hook) {
    fake::hookProc = nullptr;
    return hook != nullptr;
}

LRESULT WINAPI CallNextHookEx(HHOOK, int, WPARAM, LPARAM) { return 0; }

BOOL WINAPI RegisterHotKey(HWND window, int id, UINT, UINT virtualKey) {
    if (fake::hotKeyHeld.virtualKey) return FALSE;
    fake::hotKeyHeld = {window, id, virtualKey};
    return TRUE;
}

BOOL WINAPI UnregisterHotKey(HWND window, int id) {
    if (fake::hotKeyHeld.window != window || fake::hotKeyHeld.id != id || !fake::hotKeyHeld.virtualKey) return FALSE;
    fake::hotKeyHeld = fake::HotKey{};
    return TRUE;
}

// Which window is in front and whose thread a window is on: answered, not
// logged. The program's own windows are on thread 1.
HWND WINAPI GetForegroundWindow(void) { return script.foreground; }

DWORD WINAPI GetWindowThreadProcessId(HWND window, DWORD*) {
    return window == fake::WINDOW || window == fake::DIALOG ? 1 : 2;
}

DWORD WINAPI GetCurrentThreadId(void) { return 1; }

// A key message's moment, later at each look; none was sent by a program.
LONG WINAPI GetMessageTime(void) { return (LONG)(fake::hookTime += 10); }
LPARAM WINAPI GetMessageExtraInfo(void) { return 0; }

// Keys the program types itself go nowhere.
UINT WINAPI SendInput(UINT count, INPUT*, int) { return count; }

HWND WINAPI SetCapture(HWND window) {
    record(Fn::SetCapture, {(intptr_t)window});
    return nullptr;
}

BOOL WINAPI ReleaseCapture(void) {
    record(Fn::ReleaseCapture, {});
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND, POINT* point) {
    point->x += fake::WINDOW_X;
    point->y += fake::WINDOW_Y;
    return TRUE;
}

// Queries of where things are: answered, not logged.
HMONITOR WINAPI MonitorFromRect(const RECT* r, DWORD flags) {
    const RECT& work = script.workArea;
    const bool meets = r->left < work.right && work.left < r->right && r->top < work.bottom && work.top < r->bottom;
    return meets || flags != MONITOR_DEFAULTTONULL ? (HMONITOR)fake::WINDOW : nullptr;
}

BOOL WINAPI GetWindowRect(HWND, RECT* rect) {
    *rect = fake::windowRect;
    return TRUE;
}

BOOL WINAPI GetMonitorInfoA(HMONITOR, MONITORINFO* info) {
    const RECT& work = script.workArea;
    if (work.right <= work.left || info->cbSize != sizeof(MONITORINFO)) return FALSE;
    info->rcMonitor = work;
    info->rcWork = work;
    return TRUE;
}

HMENU WINAPI CreatePopupMenu(void) {
    fake::Call& call = record(Fn::CreatePopupMenu, {});
    call.result = (intptr_t)fake::newHandle(fake::KIND_MENU);
    return (HMENU)call.result;
}

BOOL WINAPI InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info) {
    record(Fn::InsertMenuItemA,
           {(intptr_t)menu, (intptr_t)item, byPosition, (intptr_t)info->cbSize, (intptr_t)info->fMask,
            (intptr_t)info->fType, (intptr_t)info->wID},
           info->dwTypeData);
    return TRUE;
}

BOOL WINAPI TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, void* params) {
    record(Fn::TrackPopupMenuEx, {(intptr_t)menu, (intptr_t)flags, x, y, (intptr_t)owner, (intptr_t)params});
    // The modal loop reads the keyboard meanwhile, and says so to the owner.
    fake::deliver(owner, WM_ENTERMENULOOP, TRUE, 0);
    if (script.menuLoop) script.menuLoop(owner);
    fake::deliver(owner, WM_EXITMENULOOP, TRUE, 0);
    // Like the system, the chosen item is posted to the owner after the menu
    // has closed.
    if (script.menuChoice != 0) fake::post({owner, WM_COMMAND, (WPARAM)script.menuChoice, 0});
    return TRUE;
}

BOOL WINAPI DestroyMenu(HMENU menu) {
    record(Fn::DestroyMenu, {(intptr_t)menu});
    return TRUE;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogFunc,
                               LPARAM initParam) {
    record(Fn::DialogBoxParamA, {(intptr_t)instance, (intptr_t)owner, initParam},
           fake::resourceName(templateName).c_str());
    if (script.dialogFails) return -1;
    fake::endDialogResult = 0;
    for (fake::ListBox& list : fake::lists) list.count = 0;
    dialogFunc(fake::DIALOG, WM_INITDIALOG, 0, initParam);
    // The dialog has the keyboard focus while it is up; the owner gets it back.
    fake::deliver(owner, WM_KILLFOCUS, (WPARAM)fake::DIALOG, 0);
    dialogFunc(fake::DIALOG, WM_COMMAND, (WPARAM)script.dialogButton, 0);
    fake::deliver(owner, WM_SETFOCUS, (WPARAM)fake::DIALOG, 0);
    return fake::endDialogResult;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    record(Fn::EndDialog, {(intptr_t)dialog, result});
    fake::endDialogResult = result;
    return TRUE;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int itemId, UINT message, WPARAM wParam, LPARAM lParam) {
    const char* text = message == LB_INSERTSTRING ? (const char*)lParam : nullptr;
    record(Fn::SendDlgItemMessageA, {(intptr_t)dialog, itemId, (intptr_t)message, (intptr_t)wParam, lParam}, text);
    fake::ListBox& list = fake::listOf(itemId);
    const LRESULT scripted = itemId == IDC_INPUT_LIST ? script.inputSelection : script.listSelection;
    switch (message) {
    case LB_INSERTSTRING:
        if (list.count == fake::LIST_CAPACITY) return LB_ERR;
        fake::copyText(list.items[list.count], sizeof list.items[0], text);
        return (LRESULT)list.count++;
    case LB_GETTEXT:
        if (wParam >= list.count) return LB_ERR;
        std::strcpy((char*)lParam, list.items[wParam]);
        return (LRESULT)std::strlen((char*)lParam);
    case LB_SETCURSEL: list.current = (LRESULT)wParam; return (LRESULT)wParam;
    case LB_GETCURSEL: return scripted != LB_ERR - 1 ? scripted : list.current;
    case BM_SETCHECK:
        if (wParam == BST_CHECKED) fake::checkedButton = itemId;
        return 0;
    case BM_GETCHECK: return itemId == (script.keysButton ? script.keysButton : fake::checkedButton);
    default: return 0;
    }
}

// A US keyboard's names, as the system gives them; not logged.
int WINAPI GetKeyNameTextA(LONG lParam, LPSTR buffer, int size) {
    static const char* const NAMES[0x60] = {
        nullptr,     "Esc",   "1",         "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "0",  "-",           "=",
        "Backspace", "Tab",   "Q",         "W",  "E",  "R",  "T",  "Y",  "U",  "I",  "O",  "P",  "[",           "]",
        "Enter",     "Ctrl",  "A",         "S",  "D",  "F",  "G",  "H",  "J",  "K",  "L",  ";",  "'",           "`",
        "Shift",     "\\",    "Z",         "X",  "C",  "V",  "B",  "N",  "M",  ",",  ".",  "/",  "Right Shift", "Num *",
        "Alt",       "Space", "Caps Lock", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10"};
    const unsigned scanCode = (unsigned)(lParam >> 16) & 0xFF;
    const char* name = scanCode < 0x60 ? NAMES[scanCode] : nullptr;
    if (!name || size <= 0) return 0;
    std::snprintf(buffer, (size_t)size, "%s%s", (lParam >> 24 & 1) ? "Num " : "", name);
    return (int)std::strlen(buffer);
}

BOOL WINAPI MessageBeep(UINT type) {
    record(Fn::MessageBeep, {(intptr_t)type});
    return TRUE;
}

// KERNEL32: looking up a function, answered, not logged.

namespace fake {
namespace {

UINT WINAPI dpiForWindow(HWND) { return (UINT)script.dpi; }

} // namespace
} // namespace fake

HMODULE WINAPI GetModuleHandleA(LPCSTR) { return (HMODULE)fake::INSTANCE; }

HMODULE WINAPI LoadLibraryW(LPCWSTR) { return (HMODULE)fake::INSTANCE; }

// The clock and the shell's folders: answered, not logged.
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    count->QuadPart = script.performanceCounter;
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = 10000000;
    return TRUE;
}

void WINAPI GetLocalTime(SYSTEMTIME* time) { *time = script.localTime; }

// Session notifications: answered, not logged.
BOOL WINAPI WTSRegisterSessionNotification(HWND, DWORD) { return TRUE; }
BOOL WINAPI WTSUnRegisterSessionNotification(HWND) { return TRUE; }

HRESULT WINAPI SHGetFolderPathW(HWND, int folder, HANDLE, DWORD, LPWSTR path) {
    const char* named = folder == CSIDL_PERSONAL        ? script.documents
                        : folder == CSIDL_LOCAL_APPDATA ? script.localAppData
                                                        : nullptr;
    if (!named) return (HRESULT)0x80004005; // E_FAIL
    fake::widen(named, path, MAX_PATH);
    return S_OK;
}

BOOL WINAPI GetSaveFileNameW(OPENFILENAMEW* dialog) {
    if (!script.saveAsPath) return FALSE;
    fake::widen(script.saveAsPath, dialog->lpstrFile, dialog->nMaxFile);
    return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE, LPCSTR name) {
    if (std::strcmp(name, "GetSaveFileNameW") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(GetSaveFileNameW));
    if (!script.dpiPerWindow || std::strcmp(name, "GetDpiForWindow") != 0) return nullptr;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(fake::dpiForWindow));
}

// GDI32

HDC WINAPI CreateCompatibleDC(HDC dc) {
    fake::Call& call = record(Fn::CreateCompatibleDC, {(intptr_t)dc});
    call.result = (intptr_t)fake::newHandle(fake::KIND_DC);
    return (HDC)call.result;
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height) {
    fake::Call& call = record(Fn::CreateCompatibleBitmap, {(intptr_t)dc, width, height});
    call.result = (intptr_t)fake::newHandle(fake::KIND_BITMAP);
    return (HBITMAP)call.result;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    fake::Call& call = record(Fn::SelectObject, {(intptr_t)dc, (intptr_t)object});
    call.result = (intptr_t)fake::newNamedHandle("previous");
    return (HGDIOBJ)call.result;
}

BOOL WINAPI DeleteDC(HDC dc) {
    record(Fn::DeleteDC, {(intptr_t)dc});
    return TRUE;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    record(Fn::DeleteObject, {(intptr_t)object});
    return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int index) {
    fake::Call& call = record(Fn::GetStockObject, {index});
    call.result = (intptr_t)fake::addLabel(fake::nextHandle++, "stock%d", index);
    return (HGDIOBJ)call.result;
}

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
    fake::Call& call = record(Fn::CreatePen, {style, width, (intptr_t)color});
    call.result = (intptr_t)fake::newHandle(fake::KIND_PEN);
    return (HPEN)call.result;
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* font) {
    fake::Call& call = record(Fn::CreateFontIndirectA, {(intptr_t)font->lfHeight}, font->lfFaceName);
    call.result = (intptr_t)fake::newHandle(fake::KIND_FONT);
    return (HFONT)call.result;
}

// Queries, answered and not logged: the screen's scale, and the stock GUI
// font as the system describes it at 100 %.
int WINAPI GetDeviceCaps(HDC, int index) { return index == LOGPIXELSX ? script.dpi : 0; }

int WINAPI GetObjectA(HGDIOBJ, int size, void* buffer) {
    if (size != (int)sizeof(LOGFONTA)) return 0;
    LOGFONTA font = {};
    font.lfHeight = -11;
    font.lfWeight = 400;
    std::snprintf(font.lfFaceName, sizeof font.lfFaceName, "MS Shell Dlg");
    std::memcpy(buffer, &font, sizeof font);
    return size;
}

BOOL WINAPI StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int, int, int sourceWidth,
                       int sourceHeight, DWORD) {
    record(Fn::StretchBlt, {(intptr_t)dest, x, y, width, height, (intptr_t)source, sourceWidth, sourceHeight});
    return TRUE;
}

int WINAPI SetStretchBltMode(HDC dc, int mode) {
    record(Fn::SetStretchBltMode, {(intptr_t)dc, mode});
    return 0;
}

BOOL WINAPI SetBrushOrgEx(HDC dc, int x, int y, POINT*) {
    record(Fn::SetBrushOrgEx, {(intptr_t)dc, x, y});
    return TRUE;
}

BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
    record(Fn::BitBlt, {(intptr_t)dest, x, y, width, height, (intptr_t)source, sourceX, sourceY, (intptr_t)rop});
    return TRUE;
}

int WINAPI SetBkMode(HDC dc, int mode) {
    record(Fn::SetBkMode, {(intptr_t)dc, mode});
    return 0;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF color) {
    record(Fn::SetTextColor, {(intptr_t)dc, (intptr_t)color});
    return 0;
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF color) {
    record(Fn::SetBkColor, {(intptr_t)dc, (intptr_t)color});
    return 0;
}

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    char shown[fake::TEXT_SIZE];
    std::snprintf(shown, sizeof shown, "%.*s", length < 0 ? 0 : length, text);
    record(Fn::TextOutA, {(intptr_t)dc, x, y, length}, shown);
    return TRUE;
}

// Where text is placed from its point: not logged, the text's place is.
UINT WINAPI SetTextAlign(HDC, UINT) { return TA_LEFT | TA_TOP; }

BOOL WINAPI MoveToEx(HDC dc, int x, int y, POINT* previous) {
    record(Fn::MoveToEx, {(intptr_t)dc, x, y});
    if (previous) *previous = POINT{0, 0};
    return TRUE;
}

BOOL WINAPI LineTo(HDC dc, int x, int y) {
    record(Fn::LineTo, {(intptr_t)dc, x, y});
    return TRUE;
}

// WINMM

UINT WINAPI midiOutGetNumDevs(void) {
    record(Fn::midiOutGetNumDevs, {});
    return script.deviceCount;
}

MMRESULT WINAPI midiOutGetDevCapsA(UINT_PTR deviceId, MIDIOUTCAPSA* caps, UINT capsSize) {
    record(Fn::midiOutGetDevCapsA, {(intptr_t)deviceId, (intptr_t)capsSize});
    if (deviceId >= fake::MAX_DEVICES || deviceId >= script.deviceCount) return MMSYSERR_BADDEVICEID;
    std::memset(caps, 0, sizeof *caps);
    const char* name = script.deviceNames[deviceId];
    if (name) {
        std::snprintf(caps->szPname, sizeof caps->szPname, "%s", name);
    } else {
        std::snprintf(caps->szPname, sizeof caps->szPname, "Device %u", (unsigned)deviceId);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutOpen(LPHMIDIOUT handle, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
    fake::Call& call =
        record(Fn::midiOutOpen, {(intptr_t)deviceId, (intptr_t)callback, (intptr_t)instance, (intptr_t)flags});
    if (script.openResult != MMSYSERR_NOERROR) return script.openResult;
    if (deviceId < fake::MAX_DEVICES && script.openResults[deviceId] != MMSYSERR_NOERROR) {
        return script.openResults[deviceId];
    }
    call.result = (intptr_t)fake::newHandle(fake::KIND_MIDI);
    *handle = (HMIDIOUT)call.result;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutReset(HMIDIOUT handle) {
    record(Fn::midiOutReset, {(intptr_t)handle});
    if (!handle) return script.noDeviceResult;
    const size_t n = fake::resetCalls++;
    if (n < script.resetResultCount) return script.resetResults[n];
    return script.resetResult;
}

MMRESULT WINAPI midiOutClose(HMIDIOUT handle) {
    record(Fn::midiOutClose, {(intptr_t)handle});
    return handle ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

MMRESULT WINAPI midiOutGetErrorTextA(MMRESULT error, LPSTR text, UINT textSize) {
    record(Fn::midiOutGetErrorTextA, {(intptr_t)error, (intptr_t)textSize});
    std::snprintf(text, textSize, "MIDI error %u", error);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutShortMsg(HMIDIOUT handle, DWORD message) {
    record(Fn::midiOutShortMsg, {(intptr_t)handle, (intptr_t)message});
    if (!handle) return script.noDeviceResult;
    return script.shortMessageResult;
}

// One-shots that cannot fire once killed, as a program that frees what they
// use must ask for them, else refused; fired by fireNextTimeEvent when a
// test says so. Not logged.
MMRESULT WINAPI timeSetEvent(UINT delay, UINT, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) {
    const bool oneShot = flags == (TIME_ONESHOT | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    if (!oneShot || script.timeSetEventFails || fake::timeEventCount == fake::TIME_EVENT_CAPACITY) return 0;
    const fake::TimeEvent event = {++fake::lastTimeEventId, script.performanceCounter + delay * fake::COUNTS_PER_MS,
                                   callback, user};
    fake::timeEvents[fake::timeEventCount++] = event;
    return event.id;
}

MMRESULT WINAPI timeKillEvent(UINT timerId) {
    for (size_t i = 0; i < fake::timeEventCount; ++i) {
        if (fake::timeEvents[i].id != timerId) continue;
        fake::removeTimeEvent(i);
        return MMSYSERR_NOERROR;
    }
    return MMSYSERR_INVALPARAM;
}

// KERNEL32: files held in memory (fake::files), not logged.

DWORD WINAPI GetModuleFileNameW(HMODULE, LPWSTR fileName, DWORD size) {
    const size_t length = fake::widen(script.modulePath, fileName, size);
    return length < size ? (DWORD)length : size; // cut: the whole size, as the system says
}

DWORD WINAPI GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
    if (fake::utf8(name) != "APPDATA" || !script.appData) return 0;
    const size_t length = fake::widen(script.appData, buffer, size);
    return length < size ? (DWORD)length : (DWORD)length + 1; // too small: the size it needs
}

DWORD WINAPI GetFileAttributesW(LPCWSTR fileName) {
    const fake::FileHold hold(fake::fileLock);
    const std::string path = fake::utf8(fileName);
    if (fake::files.count(path)) return FILE_ATTRIBUTE_NORMAL;
    return fake::folderExists(path) ? FILE_ATTRIBUTE_DIRECTORY : INVALID_FILE_ATTRIBUTES;
}

BOOL WINAPI CreateDirectoryW(LPCWSTR pathName, SECURITY_ATTRIBUTES*) {
    const fake::FileHold hold(fake::fileLock);
    const std::string path = fake::utf8(pathName);
    if (fake::folderExists(path)) return fake::failWith(ERROR_ALREADY_EXISTS);
    if (!fake::folderExists(fake::folderOf(path))) return fake::failWith(ERROR_PATH_NOT_FOUND);
    if (fake::denied(path)) return fake::failWith(ERROR_ACCESS_DENIED);
    fake::madeFolders.push_back(path);
    return TRUE;
}

HANDLE WINAPI CreateFileW(LPCWSTR fileName, DWORD, DWORD, SECURITY_ATTRIBUTES*, DWORD creationDisposition, DWORD,
                          HANDLE) {
    const fake::FileHold hold(fake::fileLock);
    const std::string path = fake::utf8(fileName);
    DWORD refused = 0;
    if (creationDisposition == OPEN_EXISTING && !fake::files.count(path)) refused = ERROR_FILE_NOT_FOUND;
    if (creationDisposition == CREATE_ALWAYS && fake::denied(path)) refused = ERROR_ACCESS_DENIED;
    if (creationDisposition == CREATE_ALWAYS && !fake::folderExists(fake::folderOf(path)))
        refused = ERROR_PATH_NOT_FOUND;
    for (size_t i = 0; i < fake::OPEN_FILE_CAPACITY && !refused; ++i) {
        if (fake::openFiles[i].open) continue;
        if (creationDisposition == CREATE_ALWAYS) fake::files[path].clear();
        fake::openFiles[i] = fake::OpenFile{true, path, 0};
        return (HANDLE)(fake::FIRST_FILE_HANDLE + i);
    }
    fake::failWith(refused ? refused : ERROR_TOO_MANY_OPEN_FILES);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI ReadFile(HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesRead, OVERLAPPED*) {
    const fake::FileHold hold(fake::fileLock);
    fake::OpenFile* file = fake::openFileOf(handle);
    if (!file) return fake::failWith(ERROR_INVALID_HANDLE);
    const std::string& content = fake::files[file->path];
    const size_t count = std::min((size_t)bytesToRead, content.size() - std::min(file->position, content.size()));
    std::memcpy(buffer, content.data() + file->position, count);
    file->position += count;
    *bytesRead = (DWORD)count;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE handle, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, OVERLAPPED*) {
    const fake::FileHold hold(fake::fileLock);
    fake::OpenFile* file = fake::openFileOf(handle);
    if (!file) return fake::failWith(ERROR_INVALID_HANDLE);
    // A full disk takes what fits and fails.
    const size_t count = std::min((size_t)bytesToWrite, script.diskSpace);
    script.diskSpace -= script.diskSpace == (size_t)-1 ? 0 : count;
    fake::files[file->path].append((const char*)buffer, count);
    *bytesWritten = (DWORD)count;
    return count == bytesToWrite ? TRUE : fake::failWith(ERROR_DISK_FULL);
}

BOOL WINAPI FlushFileBuffers(HANDLE handle) {
    const fake::FileHold hold(fake::fileLock);
    return fake::openFileOf(handle) ? TRUE : fake::failWith(ERROR_INVALID_HANDLE);
}

BOOL WINAPI CloseHandle(HANDLE handle) {
    const fake::FileHold hold(fake::fileLock);
    fake::OpenFile* file = fake::openFileOf(handle);
    if (file) file->open = false; // else an event or a thread
    return TRUE;
}

BOOL WINAPI MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags) {
    const fake::FileHold hold(fake::fileLock);
    const auto from = fake::files.find(fake::utf8(existingFileName));
    const std::string to = fake::utf8(newFileName);
    if (from == fake::files.end()) return fake::failWith(ERROR_FILE_NOT_FOUND);
    if (script.moveFails) return fake::failWith(ERROR_ACCESS_DENIED);
    if (fake::files.count(to) && !(flags & MOVEFILE_REPLACE_EXISTING)) return fake::failWith(ERROR_ALREADY_EXISTS);
    const std::string content = from->second;
    fake::files.erase(from);
    fake::files[to] = content;
    return TRUE;
}

BOOL WINAPI DeleteFileW(LPCWSTR fileName) {
    const fake::FileHold hold(fake::fileLock);
    return fake::files.erase(fake::utf8(fileName)) != 0 ? TRUE : fake::failWith(ERROR_FILE_NOT_FOUND);
}

DWORD WINAPI GetLastError(void) { return fake::lastError; }

DWORD WINAPI FormatMessageW(DWORD, const void*, DWORD messageId, DWORD, LPWSTR buffer, DWORD size, va_list*) {
    // A few of the system's own texts, with its line break; any other code has none.
    const std::map<DWORD, const char*> words = {
        {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
        {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
        {ERROR_ACCESS_DENIED, "Access is denied."},
        {ERROR_DISK_FULL, "There is not enough space on the disk."},
        {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    };
    const auto found = words.find(messageId);
    if (found == words.end()) return 0;
    const size_t length = fake::widen(std::string(found->second) + "\r\n", buffer, size);
    return length < size ? (DWORD)length : 0;
}

// Threads and events: real ones, so that the take writer runs beside the
// test as it runs beside the player.

HANDLE WINAPI CreateEventW(SECURITY_ATTRIBUTES*, BOOL manualReset, BOOL initialState, LPCWSTR) {
    return fake::newSync(manualReset != FALSE, initialState != FALSE);
}

BOOL WINAPI SetEvent(HANDLE event) { return fake::signal(event, true); }
BOOL WINAPI ResetEvent(HANDLE event) { return fake::signal(event, false); }

DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds) { return fake::waitFor(object, milliseconds); }

HANDLE WINAPI CreateThread(SECURITY_ATTRIBUTES*, SIZE_T, LPTHREAD_START_ROUTINE start, void* parameter, DWORD,
                           DWORD* threadId) {
    const HANDLE thread = fake::newSync(true, false);
    if (threadId) *threadId = 1;
    std::thread([=] {
        start(parameter);
        fake::signal(thread, true);
    }).detach();
    return thread;
}

BOOL WINAPI SetThreadPriority(HANDLE, int) { return TRUE; }

BOOL WINAPI SwitchToThread(void) { return FALSE; }

// WINMM: the MIDI input, "Input 0", "Input 1"...; its data is the test's to
// deliver. Not logged.

UINT WINAPI midiInGetNumDevs(void) { return script.inputCount; }

MMRESULT WINAPI midiInGetDevCapsA(UINT_PTR deviceId, MIDIINCAPSA* caps, UINT) {
    std::snprintf(caps->szPname, sizeof caps->szPname, "Input %u", (unsigned)deviceId);
    return deviceId < script.inputCount ? MMSYSERR_NOERROR : MMSYSERR_BADDEVICEID;
}

MMRESULT WINAPI midiInOpen(LPHMIDIIN handle, UINT, DWORD_PTR, DWORD_PTR, DWORD) {
    if (script.inputOpenResult == MMSYSERR_NOERROR) *handle = (HMIDIIN)fake::newHandle(fake::KIND_INPUT);
    return script.inputOpenResult;
}

MMRESULT WINAPI midiInStart(HMIDIIN) { return MMSYSERR_NOERROR; }
MMRESULT WINAPI midiInReset(HMIDIIN) { return MMSYSERR_NOERROR; }

// As the system does, the close is posted to the window.
MMRESULT WINAPI midiInClose(HMIDIIN handle) {
    fake::post({fake::WINDOW, MM_MIM_CLOSE, (WPARAM)handle, 0});
    return MMSYSERR_NOERROR;
}
