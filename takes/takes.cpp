#include "takes/takes.h"

#include "base/program.h"
#include "base/timers.h"
#include "model/keys.h"
#include "model/midi_messages.h"
#include "takes/take_rescue.h"
#include "takes/take_writer.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <iterator>

Takes g_takes;

namespace {

const UINT TICK_MS = 500;
const int64_t PAUSE_MS = 2000; // this long without a message is a pause: the take so far is saved
// While playing goes on a save begins this long after the last one, at the
// next tick: a kill loses at most the last 5 seconds, the save's own time included.
const int64_t KEEP_MS = 4000;
const int64_t RETRY_MS = 5000; // a failed save tried again after this long
const int64_t NEWS_MS = 3000;
const DWORD WRITER_WAIT_MS = 5000; // at the end, for the save in hand
const uint32_t BOTH_DISPLAYS = AREA_DISPLAY_0 | AREA_DISPLAY_1;

// Waits are measured on the counter the take is timed with, so a busy
// message loop, which delays the timer's ticks, does not stretch them.
int64_t counterSpan(int64_t ms) { return ms * g_recorder.frequency / 1000; }

// While recording the events are still the recorder's; once stopped, the take's own.
const TakeEvents& eventsOf(int slot) {
    return slot == g_takes.recording ? g_recorder.events : g_takes.slots[slot].events;
}

bool stopped(int slot) { return g_takes.slots[slot].number != 0 && slot != g_takes.recording; }

// Something played beyond where the instrument stood at the start that its
// file does not hold yet, or a stop it does not end at.
bool unsaved(int slot) {
    const Take& take = g_takes.slots[slot];
    const uint64_t count = eventsOf(slot).count;
    if (count <= take.standingCount) return false;
    return !take.path[0] || count != take.savedCount || (stopped(slot) && take.end != take.savedEnd);
}

// A take stopped is saved at once; one recorded every few seconds while
// playing goes on, and after a pause; a failed one not before its retry.
bool due(int slot, int64_t now) {
    const Take& take = g_takes.slots[slot];
    if (!unsaved(slot)) return false;
    if (take.failed) return now - take.lastTry >= counterSpan(RETRY_MS);
    return stopped(slot) || now - take.lastTry >= counterSpan(KEEP_MS) ||
           now - g_recorder.lastTime >= counterSpan(PAUSE_MS);
}

// The take as it stands, for the writer: its events so far, ending now
// while it is recorded.
WriteJob jobFor(int slot) {
    WriteJob job;
    job.take = g_takes.slots[slot];
    job.take.events = eventsOf(slot);
    job.end = stopped(slot) ? job.take.end : performanceCounterNow();
    job.frequency = g_recorder.frequency;
    job.slot = slot;
    return job;
}

void noteSaved(Take& take, const WriteJob& job) {
    std::swprintf(take.path, std::size(take.path), L"%ls", job.path);
    take.fallback = job.take.fallback;
    take.savedCount = job.take.events.count;
    take.savedEnd = job.end;
    take.failed = false;
    g_takes.failedNumber = 0;
    g_takes.failureTold = false;
}

void noteFailed(Take& take, const WriteJob& job) {
    take.failed = true;
    g_takes.failedNumber = take.number;
    g_takes.failedError = job.error;
    std::swprintf(g_takes.failedFolder, std::size(g_takes.failedFolder), L"%ls", job.folder);
}

PanelChange news(uint32_t number, bool saved) {
    g_takes.newsNumber = number;
    g_takes.newsSaved = saved;
    g_takes.newsEnd = performanceCounterNow() + counterSpan(NEWS_MS);
    return repaint(BOTH_DISPLAYS);
}

void releaseSlot(int slot) {
    releaseEvents(g_takes.slots[slot].events);
    g_takes.slots[slot] = Take{};
}

// A stopped take its file holds whole: the displays say so (when anything
// was played), and its memory is let go of.
PanelChange settle(int slot) {
    if (!stopped(slot) || slot == g_takes.writing || unsaved(slot)) return PanelChange{};
    const Take& take = g_takes.slots[slot];
    const PanelChange change = take.path[0] ? news(take.number, true) : PanelChange{};
    releaseSlot(slot);
    return change;
}

// A stopped take first, then the one recorded; -1: none.
int nextDue(int64_t now) {
    for (int slot = 0; slot < TAKE_SLOTS; ++slot) {
        if (stopped(slot) && due(slot, now)) return slot;
    }
    return g_takes.recording >= 0 && due(g_takes.recording, now) ? g_takes.recording : -1;
}

// Stopped takes saved whole let go of, and the next save begun while the writer is free.
PanelChange keepGoing() {
    PanelChange change;
    for (int slot = 0; slot < TAKE_SLOTS; ++slot) change = change | settle(slot);
    const int64_t now = performanceCounterNow();
    const int slot = g_writer.busy ? -1 : nextDue(now);
    if (slot < 0) return change;
    g_takes.slots[slot].lastTry = now;
    g_takes.writing = slot;
    handOver(jobFor(slot));
    return change;
}

// What the writer did: the take's file noted, or the failure on the displays.
PanelChange takeResult(const WriteJob& job) {
    g_takes.writing = -1;
    Take& take = g_takes.slots[job.slot];
    if (take.number != job.take.number) return PanelChange{};
    if (job.saved) {
        noteSaved(take, job);
        if (g_takes.newsNumber != take.number) return PanelChange{};
        g_takes.newsNumber = 0; // the news of its failure is old
        return repaint(BOTH_DISPLAYS);
    }
    noteFailed(take, job);
    return news(take.number, false);
}

// Only once the player has stopped: no take recorded, no key sounding, the pedal up.
bool playerStill() { return g_takes.recording < 0 && !anyKeySounds() && !g_model.sustain.down; }

int slotOf(uint32_t number) {
    for (int slot = 0; slot < TAKE_SLOTS; ++slot) {
        if (number != 0 && g_takes.slots[slot].number == number) return slot;
    }
    return -1;
}

// Only when no spare chunk could be had: the memory ran out.
void tellLoss(HWND window) {
    if (g_recorder.lost == 0 || g_takes.lossTold) return;
    g_takes.lossTold = true;
    showMessage(window, "Tonvale ran out of memory while recording: part of the take is missing.");
}

// The last failure told once, when its take waits for its next try: the
// user keeps trying, or sends it to the fallback folder or elsewhere.
PanelChange tellWhenStill(HWND window) {
    if (!playerStill()) return PanelChange{};
    tellLoss(window);
    const int slot = slotOf(g_takes.failedNumber);
    if (slot < 0 || g_takes.failureTold || slot == g_takes.writing || due(slot, performanceCounterNow()))
        return PanelChange{};
    g_takes.failureTold = true; // before the box: its modal loop brings the timer's ticks
    const uint32_t number = g_takes.failedNumber;
    WCHAR path[MAX_PATH];
    const Rescue rescue =
        askRescue(window, g_takes.slots[slot], SaveFailure{g_takes.failedError, g_takes.failedFolder}, path);
    Take& take = g_takes.slots[slot];
    if (rescue == Rescue::KEEP_TRYING || take.number != number) return PanelChange{}; // saved meanwhile
    take.fallback = rescue == Rescue::FALLBACK;
    std::swprintf(take.path, std::size(take.path), L"%ls", rescue == Rescue::CHOSEN ? path : L"");
    take.failed = false;
    g_takes.failureTold = false; // a failure there is told too
    return keepGoing();
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
        // No window while notes sound: it would take the keys.
        if (playerStill()) {
            showMessage(window, "Tonvale still holds four takes it could not save. It records again once one of "
                                "them is saved.");
        } else {
            MessageBeep(MB_ICONWARNING);
        }
        return PanelChange{};
    }
    const int slot = (int)(unused - g_takes.slots);
    Take& take = g_takes.slots[slot];
    take.number = ++g_takes.lastNumber;
    GetLocalTime(&take.started);
    std::copy(std::begin(g_model.ChannelPatchTable), std::end(g_model.ChannelPatchTable), take.programs);
    std::copy(std::begin(g_model.channelBanks), std::end(g_model.channelBanks), take.banks);
    noteSections(take);
    startTakeWriter(window);
    prepareRecorderSpace(); // the last take's chunks may still be being written: not one of those
    startRecording(window);
    // The file plays as the take was heard: what was already held at F9 comes first.
    const StandingMessages standing = standingMessages();
    for (int i = 0; i < standing.count; ++i) recordShortMessage(standing.messages[i]);
    take.standingCount = g_recorder.events.count;
    take.lastTry = performanceCounterNow();
    g_takes.recording = slot;
    if (!g_takes.timerSet) SetTimer(window, TIMER_TAKES, TICK_MS, nullptr);
    g_takes.timerSet = true;
    return repaint(BOTH_DISPLAYS);
}

// The take being recorded stopped: it keeps its events, which are no longer
// the recorder's, and gets a try of its own at once.
void finishRecording() {
    Take& take = g_takes.slots[g_takes.recording];
    take.end = performanceCounterNow();
    noteSections(take);
    take.events = stopRecording();
    take.failed = false;
    g_takes.recording = -1;
}

// Written on this thread, where it belongs or in the fallback folder.
WriteJob writeNow(int slot, bool intoFallback) {
    WriteJob job = jobFor(slot);
    if (intoFallback && !job.take.fallback) {
        job.take.fallback = true;
        job.take.path[0] = 0;
    }
    writeTake(job);
    if (job.saved) noteSaved(g_takes.slots[slot], job);
    return job;
}

// At the end: where it belongs, else the fallback folder, else where the
// user says, or the user lets it go.
void keepAtEnd(int slot) {
    if (!unsaved(slot)) return;
    WriteJob tried = writeNow(slot, false);
    if (tried.saved) return;
    const WriteJob spare = writeNow(slot, true);
    const Take& take = g_takes.slots[slot];
    const SaveFailure failure{tried.error, tried.folder};
    if (spare.saved) return tellKeptInFallback(take, failure, spare.path);
    WCHAR path[MAX_PATH];
    while (askLastPlace(take, failure, SaveFailure{spare.error, spare.folder}, path)) {
        tried = jobFor(slot);
        std::swprintf(tried.take.path, std::size(tried.take.path), L"%ls", path);
        writeTake(tried);
        if (tried.saved) return;
    }
}

} // namespace

PanelChange switchTake(HWND window) {
    if (g_takes.recording < 0) return startTake(window);
    finishRecording();
    return repaint(BOTH_DISPLAYS) | keepGoing();
}

PanelChange onTakeWritten(HWND window) {
    const WriteJob* done = finishedJob(0);
    if (!done) return PanelChange{};
    PanelChange change = takeResult(*done);
    change = change | keepGoing();
    return change | tellWhenStill(window);
}

PanelChange onTakeTimer(HWND window) {
    prepareRecorderSpace();
    PanelChange change = onTakeWritten(window); // a result whose message went astray
    change = change | keepGoing();
    change = change | tellWhenStill(window);
    if (g_takes.newsNumber && performanceCounterNow() >= g_takes.newsEnd) {
        g_takes.newsNumber = 0;
        change = change | repaint(BOTH_DISPLAYS);
    }
    const bool busy = g_writer.busy || std::any_of(std::begin(g_takes.slots), std::end(g_takes.slots),
                                                   [](const Take& take) { return take.number != 0; });
    if (!busy && !g_takes.newsNumber) {
        KillTimer(window, TIMER_TAKES);
        g_takes.timerSet = false;
    }
    return change;
}

void saveTakesNow() {
    if (const WriteJob* done = finishedJob(WRITER_WAIT_MS)) takeResult(*done);
    for (int slot = 0; slot < TAKE_SLOTS; ++slot) {
        if (unsaved(slot) && !writeNow(slot, false).saved) writeNow(slot, true);
    }
}

void endTakes() {
    if (g_takes.recording >= 0) finishRecording();
    if (const WriteJob* done = finishedJob(WRITER_WAIT_MS)) takeResult(*done);
    for (int slot = 0; slot < TAKE_SLOTS; ++slot) keepAtEnd(slot);
    releaseTakes();
}

void releaseTakes() {
    if (g_takes.recording >= 0) finishRecording();
    finishedJob(WRITER_WAIT_MS);
    // Still writing: its memory is left to the system, which the end of the program gives back.
    if (!endTakeWriter(WRITER_WAIT_MS)) return;
    for (int slot = 0; slot < TAKE_SLOTS; ++slot) releaseSlot(slot);
    g_takes.writing = -1;
    releaseRecorder();
}

bool takesNews(char (&line)[TAKE_NEWS_SIZE]) {
    if (!g_takes.newsNumber) return false;
    const unsigned number = g_takes.newsNumber;
    if (g_takes.newsSaved) std::snprintf(line, sizeof line, "TAKE %u SAVED", number);
    if (!g_takes.newsSaved) std::snprintf(line, sizeof line, "TAKE %u NOT SAVED", number);
    return true;
}

bool takeRecording() { return g_takes.recording >= 0; }
