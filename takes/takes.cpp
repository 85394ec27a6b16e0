#include "takes/takes.h"

#include "base/program.h"
#include "base/timers.h"
#include "model/modulation.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

Takes g_takes;

namespace {

const UINT TICK_MS = 500;
const int64_t PAUSE_MS = 2000; // this long without a message is a pause: the take so far is saved
const int64_t RETRY_MS = 5000;
const int64_t NEWS_MS = 3000;
const char DOCUMENTS_FOLDER[] = "Tonvale";
const char PORTABLE_FOLDER[] = "Takes";
const int SAME_NAME_LIMIT = 99;
const uint32_t BOTH_DISPLAYS = AREA_DISPLAY_0 | AREA_DISPLAY_1;

// Waits are measured on the counter the take is timed with, so a busy
// message loop, which delays the timer's ticks, does not stretch them.
int64_t counterSpan(int64_t ms) { return ms * g_recorder.frequency / 1000; }

// Beside the program when its settings are (a portable install), else in
// the user's Documents.
bool takesFolder(char (&folder)[MAX_PATH]) {
    if (fileBesideProgram(SETTINGS_FILE_NAME, folder)) {
        const size_t length = folderLength(folder);
        return fitsWhole(std::snprintf(folder + length, sizeof folder - length, "%s", PORTABLE_FOLDER),
                         sizeof folder - length);
    }
    char documents[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents) != S_OK) return false;
    return fitsWhole(std::snprintf(folder, sizeof folder, "%s\\%s", documents, DOCUMENTS_FOLDER), sizeof folder);
}

// A name no file has: the take's start, with a number after it when another
// take started in the same second (or the clock was put back).
bool nameTake(Take& take) {
    char folder[MAX_PATH], title[TAKE_TITLE_SIZE], path[MAX_PATH];
    if (!takesFolder(folder)) return false;
    takeTitle(take, title);
    for (int n = 1; n <= SAME_NAME_LIMIT; ++n) {
        const int written = n == 1 ? std::snprintf(path, sizeof path, "%s\\%s.mid", folder, title)
                                   : std::snprintf(path, sizeof path, "%s\\%s (%d).mid", folder, title, n);
        if (!fitsWhole(written, sizeof path)) return false;
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) continue;
        std::snprintf(take.path, sizeof take.path, "%s", path);
        return true;
    }
    return false;
}

// While recording the events are still the recorder's; once stopped, the take's own.
const TakeEvents& eventsOf(int slot) {
    return slot == g_takes.recording ? g_recorder.events : g_takes.slots[slot].events;
}

// The take written whole in place of what its file held. True when the file
// holds the take as it stands, or when nothing was played and there is none.
bool saveTake(int slot) {
    Take& take = g_takes.slots[slot];
    const TakeEvents& events = eventsOf(slot);
    const int64_t end = slot == g_takes.recording ? performanceCounterNow() : take.end;
    // A stop right after the session's save, say, has nothing to add.
    if (events.count == 0 || (take.path[0] && events.count == take.savedCount && end == take.savedEnd)) return true;
    const bool named = take.path[0] != 0;
    if (!named && !nameTake(take)) return false;
    NewFile file;
    if (startNewFile(file, take.path)) writeTakeFile(file, take, events, end, g_recorder.frequency);
    if (putNewFileInPlace(file)) {
        take.savedCount = events.count;
        take.savedEnd = end;
        g_takes.failureTold = false;
        return true;
    }
    if (!named) take.path[0] = 0; // nothing of it there: the name stays free
    return false;
}

// Where takes would go, and what may keep them from it.
void whereTakesGo(char (&text)[MAX_PATH + 40]) {
    char folder[MAX_PATH];
    if (takesFolder(folder)) {
        std::snprintf(text, sizeof text, " in \"%s\". Is the disk full?", folder);
    } else {
        std::snprintf(text, sizeof text, ": the system names no Documents folder.");
    }
}

void tellFailure(HWND window, const Take& take) {
    g_takes.retryAt = performanceCounterNow() + counterSpan(RETRY_MS);
    if (g_takes.failureTold) return;
    g_takes.failureTold = true; // before the box: its modal loop brings the timer's ticks
    char where[MAX_PATH + 40], text[MESSAGE_TEXT_SIZE];
    whereTakesGo(where);
    std::snprintf(text, sizeof text,
                  "Take %u cannot be saved%s\n\nTonvale keeps the take and tries again every few "
                  "seconds; it is lost if Tonvale ends before.",
                  (unsigned)take.number, where);
    showMessage(window, text);
}

void releaseSlot(int slot) {
    releaseEvents(g_takes.slots[slot].events);
    g_takes.slots[slot] = Take{};
}

// A stopped take saved: the displays say so, and its memory is let go of.
// Otherwise it waits for another try.
PanelChange saveStopped(HWND window, int slot) {
    const Take& take = g_takes.slots[slot];
    if (!saveTake(slot)) {
        tellFailure(window, take);
        return PanelChange{};
    }
    if (take.events.count > 0) {
        g_takes.savedNumber = take.number;
        g_takes.newsEnd = performanceCounterNow() + counterSpan(NEWS_MS);
    }
    releaseSlot(slot);
    return repaint(BOTH_DISPLAYS);
}

// The sections on each channel, at the start and again at the stop.
void noteSections(Take& take) {
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        take.sections[paramValue(g_model.sections[s], ParamId::CHANNEL) & 0x0F] |= (uint8_t)(1 << s);
    }
}

PanelChange startTake(HWND window) {
    const Take* unused = std::find_if(std::begin(g_takes.slots), std::end(g_takes.slots),
                                      [](const Take& take) { return take.number == 0; });
    if (unused == std::end(g_takes.slots)) {
        showMessage(window, "Tonvale still holds four takes it could not save. It records again once one of them is "
                            "saved.");
        return PanelChange{};
    }
    const int slot = (int)(unused - g_takes.slots);
    Take& take = g_takes.slots[slot];
    take.number = ++g_takes.lastNumber;
    GetLocalTime(&take.started);
    std::copy(std::begin(g_model.ChannelPatchTable), std::end(g_model.ChannelPatchTable), take.programs);
    std::copy(std::begin(g_model.channelBanks), std::end(g_model.channelBanks), take.banks);
    noteSections(take);
    startRecording();
    sendStandingModulation(); // a take begun with the modulation up starts with it
    g_takes.recording = slot;
    if (!g_takes.timerSet) SetTimer(window, TIMER_TAKES, TICK_MS, nullptr);
    g_takes.timerSet = true;
    return repaint(BOTH_DISPLAYS);
}

// The take being recorded stopped: it keeps its events, which are no longer the recorder's.
int finishRecording() {
    const int slot = g_takes.recording;
    Take& take = g_takes.slots[slot];
    take.end = performanceCounterNow();
    noteSections(take);
    take.events = stopRecording();
    g_takes.recording = -1;
    return slot;
}

// Stopped, and not saved yet.
bool waiting(int slot) { return g_takes.slots[slot].number != 0 && slot != g_takes.recording; }

// Only when no spare chunk could be had: the memory ran out.
void tellLoss(HWND window) {
    if (g_recorder.lost == 0 || g_takes.lossTold) return;
    g_takes.lossTold = true;
    showMessage(window, "Tonvale ran out of memory while recording: part of the take is missing.");
}

} // namespace

PanelChange switchTake(HWND window) {
    if (g_takes.recording < 0) return startTake(window);
    return repaint(BOTH_DISPLAYS) | saveStopped(window, finishRecording());
}

PanelChange onTakeTimer(HWND window) {
    PanelChange change;
    const int64_t now = performanceCounterNow();
    prepareRecorderSpace();
    tellLoss(window);
    const int slot = g_takes.recording;
    const bool paused = now - g_recorder.lastTime >= counterSpan(PAUSE_MS);
    // After a failure nothing is tried again before its time: a full disk
    // is not asked twice a second.
    if (now >= g_takes.retryAt) {
        if (slot >= 0 && paused && g_recorder.events.count > g_takes.slots[slot].savedCount && !saveTake(slot)) {
            tellFailure(window, g_takes.slots[slot]);
        }
        for (int i = 0; i < TAKE_SLOTS; ++i) {
            if (waiting(i) && now >= g_takes.retryAt) change = change | saveStopped(window, i);
        }
    }
    if (g_takes.savedNumber && now >= g_takes.newsEnd) {
        g_takes.savedNumber = 0;
        change = change | repaint(BOTH_DISPLAYS);
    }
    const bool busy = std::any_of(std::begin(g_takes.slots), std::end(g_takes.slots),
                                  [](const Take& take) { return take.number != 0; });
    if (!busy && !g_takes.savedNumber) {
        KillTimer(window, TIMER_TAKES);
        g_takes.timerSet = false;
    }
    return change;
}

void saveTakesNow() {
    for (int slot = 0; slot < TAKE_SLOTS; ++slot) {
        if (g_takes.slots[slot].number) saveTake(slot);
    }
}

void endTakes() {
    if (g_takes.recording >= 0) finishRecording();
    unsigned lost = 0;
    for (int slot = 0; slot < TAKE_SLOTS; ++slot) {
        if (g_takes.slots[slot].number && !saveTake(slot)) ++lost;
    }
    releaseTakes();
    if (lost == 0) return;
    char where[MAX_PATH + 40], text[MESSAGE_TEXT_SIZE];
    whereTakesGo(where);
    std::snprintf(text, sizeof text, "%u take%s could not be saved%s\n\nWhat %s held is lost.", lost,
                  lost == 1 ? "" : "s", where, lost == 1 ? "it" : "they");
    showMessage(nullptr, text);
}

void releaseTakes() {
    if (g_takes.recording >= 0) finishRecording();
    for (int slot = 0; slot < TAKE_SLOTS; ++slot) releaseSlot(slot);
    releaseRecorder();
}
