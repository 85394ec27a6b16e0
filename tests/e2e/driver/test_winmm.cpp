// A stand-in for the system's winmm.dll with the MIDI output and input calls the
// program imports, and its two multimedia-timer calls passed through to the
// system's own winmm.dll. Put beside the exe (with WINEDLLOVERRIDES=winmm=n,b under
// Wine) it logs every call with a timestamp. Built with the MIDI monitor
// (tools/midi_monitor/) instead of test_variant.cpp it also prints each
// message decoded, and logs only when TONVALE_MIDI_LOG asks it to.
//
// Scripted by the environment, read once when the DLL is loaded:
//   TONVALE_MIDI_LOG      the log file (default "midi.log" in the current folder)
//   TONVALE_MIDI_DEVICES  device names separated by '|'; empty means no device
//                         (default: one device, "Tonvale Test Synth")
//   TONVALE_MIDI_FAIL     failures, comma-separated FUNCTION[#N][@DEVICE]=CODE:
//                         the N-th call of FUNCTION (every call without #N),
//                         or only calls for device index DEVICE, returns CODE.
//                         Example: "midiOutOpen=4,midiOutReset#2=7"
//   TONVALE_MIDI_CONTROL  a file of device names as TONVALE_MIDI_DEVICES has
//                         them, read again at every call once it exists: a
//                         test rewrites it to make devices go and come back
//                         while the program runs. The handles of a device no
//                         longer listed are dead: their calls fail with
//                         MMSYSERR_NODRIVER, but midiOutClose frees them.
//   TONVALE_MIDI_STAMPS   for the benchmark: a file that gets every short
//                         message's counter, taken first thing in the call,
//                         kept in memory and written at midiOutClose and at
//                         unload; short messages are then not logged, so
//                         their calls do no file I/O
//   TONVALE_MIDI_INPUTS   MIDI input names separated by '|' (default: none)
//   TONVALE_MIDI_INPUT_SCRIPT  a file the started input waits for, reads,
//                         deletes and plays from a thread of ours:
//                         "<ms> <message as hex>" lines, each handed to the
//                         input's callback (a window gets MM_MIM_DATA posted)
//                         ms after the file was found
//
// Log lines (one per call, written at once):
//   <ticks> loaded frequency=<ticks per second> devices=<count> pid=<process id>
//   <ticks> midiOutGetNumDevs = <count>
//   <ticks> midiOutGetDevCapsA <device> "<name>" = <code>
//   <ticks> midiOutOpen <device> <callback kind> = <code> <handle>
//   <ticks> midiOutReset <handle> = <code>
//   <ticks> midiOutShortMsg <handle> <message as 8 hex digits> = <code>
//   <ticks> midiOutClose <handle> = <code>
//   <ticks> midiOutGetErrorTextA <code> "<text>" = <code>
//   <ticks> midiInOpen <device> <callback kind> = <code> <handle, i0 on failure>
//   <ticks> midiInStart|midiInReset|midiInClose <handle> = <code>
//   <ticks> midiInData <handle> <message as 8 hex digits>   (handed over)
//   <ticks> control devices=<count>   (the control file changed the devices)
// Stamp file lines: "frequency=<ticks per second> dropped=<count>", then
// "<ticks> <message as 8 hex digits>" for each short message in order, then
// "<ticks> <message> in" for each input message as it was handed over.
// Handles are named h1, h2, ... (inputs' i1, i2, ...) in the order they were opened; a null handle
// is "null" and one that is not ours "bad".
#define _WINMM_ // our definitions are the exported ones, not imports
#include <windows.h>
// needs <windows.h> first
#include <mmsystem.h>

#include "tests/e2e/driver/driver_variant.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const unsigned MAX_DEVICES = 16;
const unsigned MAX_RULES = 16;
const unsigned MAX_HANDLES = 64;
// A benchmark run sends a few thousand, and an hour of playing fed through the input 72,000 more.
const unsigned MAX_STAMPS = 1 << 18;
// The handle values we give out: small, recognisable, never null.
const uintptr_t HANDLE_BASE = 0x7E570000;

enum Function { GET_NUM_DEVS, GET_DEV_CAPS, OPEN, RESET, SHORT_MSG, CLOSE, GET_ERROR_TEXT, FUNCTION_COUNT };
const char* const FunctionNames[FUNCTION_COUNT] = {
    "midiOutGetNumDevs", "midiOutGetDevCapsA", "midiOutOpen",          "midiOutReset",
    "midiOutShortMsg",   "midiOutClose",       "midiOutGetErrorTextA",
};

struct FailureRule {
    Function function;
    unsigned callNumber; // 0: every call
    int device;          // -1: any device
    MMRESULT code;
};

struct DriverState {
    HANDLE log;
    LARGE_INTEGER frequency;
    char deviceNames[MAX_DEVICES][MAXPNAMELEN];
    unsigned deviceCount;
    FailureRule rules[MAX_RULES];
    unsigned ruleCount;
    unsigned callCounts[FUNCTION_COUNT];
    bool handleOpen[MAX_HANDLES + 1]; // by handle number, 1-based
    unsigned handlesMade;
    char stampPath[MAX_PATH]; // empty: no stamps, every call logged
    char controlPath[MAX_PATH];
    char controlText[MAX_DEVICES * MAXPNAMELEN]; // as last read
} driver;

struct Stamp {
    LONGLONG ticks;
    DWORD message;
};
Stamp stamps[MAX_STAMPS];
unsigned stampCount;
unsigned stampsDropped;

// The MIDI inputs (one open at a time: the last opened) and their scripts.
struct MidiInputs {
    char names[MAX_DEVICES][MAXPNAMELEN];
    unsigned count, opened;
    char script[MAX_PATH];
    HMIDIIN handle;
    HWND window; // the callback: the program asks for a window's
    HANDLE thread;
    volatile LONG started;
    Stamp stamps[MAX_STAMPS]; // for the benchmark, each message as it was handed over
    unsigned stampCount;
} input;

// The texts a user would see for the codes a MIDI output call returns.
struct ErrorText {
    MMRESULT code;
    const char* text;
};
const ErrorText ErrorTexts[] = {
    {MMSYSERR_NOERROR, "The specified command was carried out."},
    {MMSYSERR_ERROR, "Undefined external error."},
    {MMSYSERR_BADDEVICEID, "A device ID has been used that is out of range for your system."},
    {MMSYSERR_NOTENABLED, "The driver was not enabled."},
    {MMSYSERR_ALLOCATED, "The specified device is already in use. Wait until it is free, and then try again."},
    {MMSYSERR_INVALHANDLE, "The specified device handle is invalid."},
    {MMSYSERR_NODRIVER, "There is no driver installed on your system."},
    {MMSYSERR_NOMEM, "There is not enough memory available for this task. Quit one or more applications to "
                     "increase available memory, and then try again."},
    {MMSYSERR_NOTSUPPORTED, "This function is not supported. Use the Capabilities function to determine which "
                            "functions and messages the driver supports."},
    {MMSYSERR_BADERRNUM, "An error number was specified that is not defined in the system."},
    {MMSYSERR_INVALFLAG, "An invalid flag was passed to a system function."},
    {MMSYSERR_INVALPARAM, "An invalid parameter was passed to a system function."},
    {MMSYSERR_HANDLEBUSY, "The specified handle is being used simultaneously by another thread."},
    {MIDIERR_UNPREPARED, "The header is not prepared. Use the Prepare function to prepare the header, and then try "
                         "again."},
    {MIDIERR_STILLPLAYING, "This cannot be done while the media data is still playing."},
    {MIDIERR_NOMAP, "A MIDI map was not found. There may be a problem with the driver, or the MIDIMAP.CFG file may "
                    "be corrupt or missing."},
    {MIDIERR_NOTREADY, "The port is transmitting data to the device. Wait until the data has been transmitted, and "
                       "then try again."},
    {MIDIERR_NODEVICE, "The current MIDI Mapper setup refers to a MIDI device that is not installed on the system."},
    {MIDIERR_INVALIDSETUP, "The current MIDI setup is damaged."},
    {MIDIERR_BADOPENMODE, "This operation cannot be done in the current open mode."},
    {MIDIERR_DONT_CONTINUE, "The device cannot go on with this operation."},
};

const char* errorTextFor(MMRESULT code) {
    for (const ErrorText& entry : ErrorTexts) {
        if (entry.code == code) return entry.text;
    }
    return nullptr;
}

// ---- the log

void writeText(HANDLE file, const char* text) {
    if (file == INVALID_HANDLE_VALUE || !file) return;
    DWORD written;
    // Unbuffered: a test reads the log while the program runs.
    WriteFile(file, text, (DWORD)std::strlen(text), &written, nullptr);
}

void logLine(const char* format, ...) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    char line[1024];
    int length = std::snprintf(line, sizeof line, "%lld ", (long long)now.QuadPart);
    va_list args;
    va_start(args, format);
    std::vsnprintf(line + length, sizeof line - length - 1, format, args);
    va_end(args);
    std::strncat(line, "\n", sizeof line - std::strlen(line) - 1);
    writeText(driver.log, line);
}

// ---- the script

// Names separated by '|', in index order, into names; empty: none.
unsigned splitNames(char* text, char (*names)[MAXPNAMELEN]) {
    unsigned count = 0;
    for (char* name = *text ? text : nullptr; name && count < MAX_DEVICES;) {
        char* bar = std::strchr(name, '|');
        if (bar) *bar++ = 0;
        std::snprintf(names[count++], MAXPNAMELEN, "%s", name);
        name = bar;
    }
    return count;
}

void readDeviceNames() {
    char names[MAX_DEVICES * MAXPNAMELEN];
    // An empty variable also gives 0 and leaves the last error as it was:
    // clear it, so that only a missing variable reads as not found.
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableA("TONVALE_MIDI_DEVICES", names, sizeof names);
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        std::snprintf(driver.deviceNames[0], MAXPNAMELEN, "%s", DRIVER_VARIANT.defaultDeviceName);
        driver.deviceCount = 1;
        return;
    }
    if (length == 0 || length >= sizeof names) return; // empty: no device at all
    driver.deviceCount = splitNames(names, driver.deviceNames);
}

bool parseRule(char* text, FailureRule* rule) {
    char* equals = std::strchr(text, '=');
    if (!equals) return false;
    *equals = 0;
    rule->code = (MMRESULT)std::strtoul(equals + 1, nullptr, 0);
    rule->callNumber = 0;
    rule->device = -1;
    if (char* at = std::strchr(text, '@')) {
        *at = 0;
        rule->device = std::atoi(at + 1);
    }
    if (char* hash = std::strchr(text, '#')) {
        *hash = 0;
        rule->callNumber = (unsigned)std::strtoul(hash + 1, nullptr, 10);
    }
    while (*text == ' ') ++text;
    for (int f = 0; f < FUNCTION_COUNT; ++f) {
        if (std::strcmp(text, FunctionNames[f]) == 0) {
            rule->function = (Function)f;
            return true;
        }
    }
    return false;
}

void readFailureRules() {
    char rules[1024];
    const DWORD length = GetEnvironmentVariableA("TONVALE_MIDI_FAIL", rules, sizeof rules);
    if (length == 0 || length >= sizeof rules) return;
    char* next = rules;
    while (next && driver.ruleCount < MAX_RULES) {
        char* comma = std::strchr(next, ',');
        if (comma) *comma = 0;
        if (parseRule(next, &driver.rules[driver.ruleCount])) {
            ++driver.ruleCount;
        } else {
            logLine("script error: cannot read failure rule \"%s\"", next);
        }
        next = comma ? comma + 1 : nullptr;
    }
}

void openLog() {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("TONVALE_MIDI_LOG", path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        if (!DRIVER_VARIANT.defaultLogPath) {
            driver.log = INVALID_HANDLE_VALUE;
            return;
        }
        std::snprintf(path, sizeof path, "%s", DRIVER_VARIANT.defaultLogPath);
    }
    driver.log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A path from the environment; empty when unset or too long.
void readPath(const char* variable, char (&path)[MAX_PATH]) {
    if (GetEnvironmentVariableA(variable, path, MAX_PATH) >= MAX_PATH) path[0] = 0;
}

// Rewrites the whole file each time: a program may close and reopen.
void writeStamps() {
    if (!driver.stampPath[0]) return;
    const HANDLE file = CreateFileA(driver.stampPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char line[64];
    std::snprintf(line, sizeof line, "frequency=%lld dropped=%u\n", (long long)driver.frequency.QuadPart,
                  stampsDropped);
    writeText(file, line);
    for (unsigned i = 0; i < stampCount; ++i) {
        std::snprintf(line, sizeof line, "%lld %08lX\n", (long long)stamps[i].ticks, (unsigned long)stamps[i].message);
        writeText(file, line);
    }
    for (unsigned i = 0; i < input.stampCount; ++i) {
        std::snprintf(line, sizeof line, "%lld %08lX in\n", (long long)input.stamps[i].ticks,
                      (unsigned long)input.stamps[i].message);
        writeText(file, line);
    }
    CloseHandle(file);
}

void readControl() {
    if (!driver.controlPath[0]) return;
    const HANDLE file = CreateFileA(driver.controlPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char text[sizeof driver.controlText] = {};
    DWORD length = 0;
    ReadFile(file, text, sizeof text - 1, &length, nullptr);
    CloseHandle(file);
    if (std::strcmp(text, driver.controlText) == 0) return;
    std::strcpy(driver.controlText, text);
    driver.deviceCount = splitNames(text, driver.deviceNames);
    logLine("control devices=%u", driver.deviceCount);
}

// Counts the call and gives the scripted failure for it, or 0.
MMRESULT scriptedResult(Function function, int device) {
    readControl();
    const unsigned callNumber = ++driver.callCounts[function];
    for (unsigned i = 0; i < driver.ruleCount; ++i) {
        const FailureRule& rule = driver.rules[i];
        if (rule.function != function) continue;
        if (rule.callNumber != 0 && rule.callNumber != callNumber) continue;
        if (rule.device != -1 && rule.device != device) continue;
        return rule.code;
    }
    return MMSYSERR_NOERROR;
}

// ---- handles

HMIDIOUT handleFromNumber(unsigned number) { return (HMIDIOUT)(HANDLE_BASE + number); }

// The number of one of our open handles, or 0.
unsigned openHandleNumber(HMIDIOUT handle) {
    const uintptr_t value = (uintptr_t)handle;
    if (value <= HANDLE_BASE || value > HANDLE_BASE + driver.handlesMade) return 0;
    const unsigned number = (unsigned)(value - HANDLE_BASE);
    return driver.handleOpen[number] ? number : 0;
}

// How a handle appears in the log: h<number>, "null", or "bad".
const char* handleName(HMIDIOUT handle, char* name, size_t size) {
    const uintptr_t value = (uintptr_t)handle;
    if (!handle) {
        std::snprintf(name, size, "null");
    } else if (value > HANDLE_BASE && value <= HANDLE_BASE + driver.handlesMade) {
        std::snprintf(name, size, "h%u", (unsigned)(value - HANDLE_BASE));
    } else {
        std::snprintf(name, size, "bad");
    }
    return name;
}

const char* callbackKind(DWORD_PTR callback, DWORD flags) {
    switch (flags & CALLBACK_TYPEMASK) {
    case CALLBACK_NULL: return "null";
    case CALLBACK_WINDOW: return IsWindow((HWND)callback) ? "window" : "badwindow";
    case CALLBACK_THREAD: return "thread";
    case CALLBACK_FUNCTION: return "function";
    case CALLBACK_EVENT: return "event";
    default: return "unknown";
    }
}

// A real driver reports open and close to the callback; for a window that is
// a posted message, so it arrives later through the message loop.
void notify(DWORD_PTR callback, DWORD flags, UINT message, HMIDIOUT handle) {
    if ((flags & CALLBACK_TYPEMASK) == CALLBACK_WINDOW && callback) {
        PostMessageA((HWND)callback, message, (WPARAM)handle, 0);
    }
}

struct OpenRecord {
    DWORD_PTR callback;
    DWORD flags;
    char device[MAXPNAMELEN];
} openRecords[MAX_HANDLES + 1];

bool listed(const char* device) {
    for (unsigned i = 0; i < driver.deviceCount; ++i) {
        if (std::strcmp(driver.deviceNames[i], device) == 0) return true;
    }
    return false;
}

// A call on a handle that is not open fails as it does on the system, and
// one on a device gone as an unplugged device's does.
MMRESULT checkedResult(Function function, HMIDIOUT handle) {
    const MMRESULT scripted = scriptedResult(function, -1);
    const unsigned number = openHandleNumber(handle);
    if (!number) return MMSYSERR_INVALHANDLE;
    if (function != CLOSE && !listed(openRecords[number].device)) return MMSYSERR_NODRIVER;
    return scripted;
}

// The system's winmm.dll, by its full path: the name alone finds this one.
// Windows and Wine both load it beside us.
HMODULE systemWinmm() {
    static HMODULE module;
    if (module) return module;
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - sizeof "\\winmm.dll") return nullptr;
    std::snprintf(path + length, MAX_PATH - length, "\\winmm.dll");
    module = LoadLibraryA(path);
    return module;
}

template <class Function>
Function systemFunction(const char* name) {
    const HMODULE module = systemWinmm();
    return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

// ---- the MIDI inputs

void readInputs() {
    char names[MAX_DEVICES * MAXPNAMELEN];
    const DWORD length = GetEnvironmentVariableA("TONVALE_MIDI_INPUTS", names, sizeof names);
    if (length && length < sizeof names) input.count = splitNames(names, input.names);
    readPath("TONVALE_MIDI_INPUT_SCRIPT", input.script);
}

// As the system hands a driver's message to the window the program chose.
void notifyInput(UINT message, DWORD data) { PostMessageA(input.window, message, (WPARAM)input.handle, data); }

DWORD WINAPI playInputScripts(LPVOID) {
    static unsigned long lines[8192][2]; // ms, message
    while (input.started) {
        FILE* file = std::fopen(input.script, "r");
        unsigned count = 0;
        while (file && count < 8192 && std::fscanf(file, "%lu %lx", &lines[count][0], &lines[count][1]) == 2)
            ++count;
        if (file && !std::fclose(file)) DeleteFileA(input.script);
        const DWORD start = GetTickCount();
        for (unsigned i = 0; i < count && input.started; ++i) {
            if (lines[i][0] > GetTickCount() - start) Sleep(lines[i][0] - (GetTickCount() - start));
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            if (!driver.stampPath[0]) logLine("midiInData i%u %08lX", input.opened, lines[i][1]);
            if (driver.stampPath[0] && input.stampCount < MAX_STAMPS)
                input.stamps[input.stampCount++] = {now.QuadPart, (DWORD)lines[i][1]};
            notifyInput(MM_MIM_DATA, lines[i][1]);
        }
        if (!file) Sleep(10);
    }
    return 0;
}

// A call on the open input, logged; the script's thread starts or stops with it.
MMRESULT inputCall(const char* function, HMIDIIN handle, bool started) {
    const MMRESULT result = handle && handle == input.handle ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
    logLine("%s i%u = %u", function, input.opened, result);
    if (result != MMSYSERR_NOERROR || started == (input.thread != nullptr)) return result;
    input.started = started;
    if (started) {
        input.thread = CreateThread(nullptr, 0, playInputScripts, nullptr, 0, nullptr);
    } else {
        WaitForSingleObject(input.thread, INFINITE);
        CloseHandle(input.thread);
        input.thread = nullptr;
    }
    return result;
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) writeStamps(); // a program that never closed its device
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    QueryPerformanceFrequency(&driver.frequency);
    openLog();
    readPath("TONVALE_MIDI_STAMPS", driver.stampPath);
    readPath("TONVALE_MIDI_CONTROL", driver.controlPath);
    readDeviceNames();
    readFailureRules();
    readInputs();
    logLine("loaded frequency=%lld devices=%u pid=%lu", (long long)driver.frequency.QuadPart, driver.deviceCount,
            (unsigned long)GetCurrentProcessId());
    if (DRIVER_VARIANT.loaded) DRIVER_VARIANT.loaded(driver.deviceCount);
    return TRUE;
}

UINT WINAPI midiOutGetNumDevs(void) {
    readControl();
    ++driver.callCounts[GET_NUM_DEVS];
    logLine("midiOutGetNumDevs = %u", driver.deviceCount);
    return driver.deviceCount;
}

MMRESULT WINAPI midiOutGetDevCapsA(UINT_PTR device, LPMIDIOUTCAPSA caps, UINT size) {
    MMRESULT result = scriptedResult(GET_DEV_CAPS, (int)device);
    if (device >= driver.deviceCount) result = MMSYSERR_BADDEVICEID;
    else if (!caps) result = MMSYSERR_INVALPARAM;
    const char* name = device < driver.deviceCount ? driver.deviceNames[device] : "";
    if (result == MMSYSERR_NOERROR) {
        MIDIOUTCAPSA filled = {};
        filled.wMid = 0xFFFF; // no registered manufacturer
        filled.wPid = 0xFFFF;
        filled.vDriverVersion = 0x0100;
        std::snprintf(filled.szPname, sizeof filled.szPname, "%s", name);
        filled.wTechnology = MOD_MIDIPORT;
        filled.wChannelMask = 0xFFFF;
        // The system copies no more than the caller's record holds.
        std::memcpy(caps, &filled, size < sizeof filled ? size : sizeof filled);
    }
    logLine("midiOutGetDevCapsA %u \"%s\" = %u", (unsigned)device, name, result);
    return result;
}

MMRESULT WINAPI midiOutOpen(LPHMIDIOUT handle, UINT device, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
    MMRESULT result = scriptedResult(OPEN, (int)device);
    if (!handle) result = MMSYSERR_INVALPARAM;
    else if (device >= driver.deviceCount) result = MMSYSERR_BADDEVICEID;
    else if (driver.handlesMade >= MAX_HANDLES && result == MMSYSERR_NOERROR) result = MMSYSERR_NOMEM;
    if (handle) *handle = nullptr; // as the system does, also on failure
    if (result != MMSYSERR_NOERROR) {
        logLine("midiOutOpen %u %s = %u", device, callbackKind(callback, flags), result);
        return result;
    }
    const unsigned number = ++driver.handlesMade;
    driver.handleOpen[number] = true;
    openRecords[number] = {callback, flags, {}};
    std::snprintf(openRecords[number].device, MAXPNAMELEN, "%s", driver.deviceNames[device]);
    *handle = handleFromNumber(number);
    logLine("midiOutOpen %u %s = 0 h%u", device, callbackKind(callback, flags), number);
    if (DRIVER_VARIANT.opened) DRIVER_VARIANT.opened(device, driver.deviceNames[device]);
    notify(callback, flags, MM_MOM_OPEN, *handle);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutReset(HMIDIOUT handle) {
    const MMRESULT result = checkedResult(RESET, handle);
    char name[16];
    logLine("midiOutReset %s = %u", handleName(handle, name, sizeof name), result);
    if (result == MMSYSERR_NOERROR && DRIVER_VARIANT.reset) DRIVER_VARIANT.reset();
    return result;
}

MMRESULT WINAPI midiOutShortMsg(HMIDIOUT handle, DWORD message) {
    // Before anything else: the moment the program hands the message over.
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const MMRESULT result = checkedResult(SHORT_MSG, handle);
    if (driver.stampPath[0]) {
        if (stampCount < MAX_STAMPS) stamps[stampCount++] = {now.QuadPart, message};
        else ++stampsDropped;
        return result;
    }
    char name[16];
    logLine("midiOutShortMsg %s %08lX = %u", handleName(handle, name, sizeof name), (unsigned long)message, result);
    if (result == MMSYSERR_NOERROR && DRIVER_VARIANT.sent) DRIVER_VARIANT.sent(message);
    return result;
}

MMRESULT WINAPI midiOutClose(HMIDIOUT handle) {
    const MMRESULT result = checkedResult(CLOSE, handle);
    char name[16];
    logLine("midiOutClose %s = %u", handleName(handle, name, sizeof name), result);
    if (result != MMSYSERR_NOERROR) return result;
    writeStamps();
    const unsigned number = openHandleNumber(handle);
    driver.handleOpen[number] = false;
    if (DRIVER_VARIANT.closed) DRIVER_VARIANT.closed();
    notify(openRecords[number].callback, openRecords[number].flags, MM_MOM_CLOSE, handle);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutGetErrorTextA(MMRESULT code, LPSTR text, UINT size) {
    MMRESULT result = scriptedResult(GET_ERROR_TEXT, -1);
    const char* known = errorTextFor(code);
    if (!text || size == 0) result = MMSYSERR_INVALPARAM;
    else if (!known && result == MMSYSERR_NOERROR) result = MMSYSERR_BADERRNUM;
    if (result == MMSYSERR_NOERROR) {
        std::snprintf(text, size, "%s", known);
    } else if (text && size > 0) {
        text[0] = 0;
    }
    logLine("midiOutGetErrorTextA %u \"%s\" = %u", code, result == MMSYSERR_NOERROR ? text : "", result);
    return result;
}

// Not logged: the log is the MIDI calls'.
MMRESULT WINAPI timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) {
    static const auto system = systemFunction<MMRESULT(WINAPI*)(UINT, UINT, LPTIMECALLBACK, DWORD_PTR, UINT)>(
        "timeSetEvent");
    return system ? system(delay, resolution, callback, user, flags) : 0;
}

MMRESULT WINAPI timeKillEvent(UINT timerId) {
    static const auto system = systemFunction<MMRESULT(WINAPI*)(UINT)>("timeKillEvent");
    return system ? system(timerId) : MMSYSERR_INVALPARAM;
}

UINT WINAPI midiInGetNumDevs(void) { return input.count; }

MMRESULT WINAPI midiInGetDevCapsA(UINT_PTR device, LPMIDIINCAPSA caps, UINT size) {
    if (device >= input.count || !caps) return device >= input.count ? MMSYSERR_BADDEVICEID : MMSYSERR_INVALPARAM;
    MIDIINCAPSA filled = {0xFFFF, 0xFFFF, 0x0100, {}, 0}; // no registered manufacturer
    std::snprintf(filled.szPname, sizeof filled.szPname, "%s", input.names[device]);
    std::memcpy(caps, &filled, size < sizeof filled ? size : sizeof filled);
    return MMSYSERR_NOERROR;
}

// Only a window callback, the kind the program asks for.
MMRESULT WINAPI midiInOpen(LPHMIDIIN handle, UINT device, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
    MMRESULT result = MMSYSERR_NOERROR;
    if (device >= input.count || !handle) result = !handle ? MMSYSERR_INVALPARAM : MMSYSERR_BADDEVICEID;
    else if ((flags & CALLBACK_TYPEMASK) != CALLBACK_WINDOW) result = MMSYSERR_INVALFLAG;
    else if (input.handle) result = MMSYSERR_ALLOCATED;
    if (handle) *handle = nullptr; // as the system does, also on failure
    logLine("midiInOpen %u %s = %u i%u", device, callbackKind(callback, flags), result, result ? 0 : input.opened + 1);
    if (result) return result;
    *handle = input.handle = (HMIDIIN)(HANDLE_BASE + 0x10000 + ++input.opened);
    input.window = (HWND)callback;
    notifyInput(MM_MIM_OPEN, 0);
    return result;
}

MMRESULT WINAPI midiInStart(HMIDIIN handle) { return inputCall("midiInStart", handle, true); }
MMRESULT WINAPI midiInReset(HMIDIIN handle) { return inputCall("midiInReset", handle, false); }

MMRESULT WINAPI midiInClose(HMIDIIN handle) {
    const MMRESULT result = inputCall("midiInClose", handle, false);
    if (!result) notifyInput(MM_MIM_CLOSE, 0);
    if (!result) input.handle = nullptr;
    return result;
}

} // extern "C"
