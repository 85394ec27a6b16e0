// Keeping what was played: F9 starts a take, which records every short
// message the port sends after where the instrument stood at the start,
// and F9 stops it and saves it as a Standard MIDI File in Documents\Tonvale
// (beside the program in Takes, for a portable install). The writer thread
// writes it, so a save never delays a note. A take in progress is saved at
// least every few seconds while playing goes on, soon after a pause, and
// when the session or the program ends, so a crash loses at most the last
// seconds. A failed save shows on the displays, the take is kept in memory
// and tried again; once the player has stopped, the reason is told, with a
// way to keep the take elsewhere.
#pragma once

#include "model/panel_areas.h"
#include "platform/win32.h"
#include "takes/take_file.h"

#include <cstddef>

// The take being recorded and those stopped and not saved yet.
constexpr int TAKE_SLOTS = 4;

struct Takes {
    Take slots[TAKE_SLOTS]; // a slot whose number is 0 is free
    int recording = -1;     // the slot being recorded; -1: none
    int writing = -1;       // the slot the writer has a job for; -1: none
    uint32_t lastNumber = 0;
    uint32_t newsNumber = 0; // the take the displays give news of; 0: none
    bool newsSaved = false;  // saved; else a save of it failed
    int64_t newsEnd = 0;     // when they stop, on the performance counter
    // The last failure, told once the player has stopped.
    uint32_t failedNumber = 0; // 0: none since the last save that worked
    DWORD failedError = 0;
    WCHAR failedFolder[MAX_PATH] = {};
    bool failureTold = false; // since the last save that worked
    bool lossTold = false;    // messages found no memory
    bool timerSet = false;
};

extern Takes g_takes;

// F9: starts a take, or stops the one being recorded and saves it.
PanelChange switchTake(HWND window);

// Twice a second while there is a take or news of one: a spare chunk made
// ready, a save begun when one is due, the news taken down, a failure told
// once the player has stopped.
PanelChange onTakeTimer(HWND window);

// MESSAGE_TAKE_WRITTEN: the writer's result taken, the next save begun.
PanelChange onTakeWritten(HWND window);

// The session ends: every take written now, where it belongs or else in
// the fallback folder, without a word.
void saveTakesNow();

// The program ends: the take stopped, every take saved where it belongs or
// in the fallback folder, the user asked what to do with one that cannot
// be, the memory let go of.
void endTakes();
// Every take's memory let go of, saved or not, and the writer ended.
void releaseTakes();

// What the displays say of the takes in place of the patch line: "TAKE 2
// SAVED", "TAKE 2 NOT SAVED"; false: nothing.
constexpr size_t TAKE_NEWS_SIZE = 32;
bool takesNews(char (&line)[TAKE_NEWS_SIZE]);
// Whether a take is being recorded (REC on the displays).
bool takeRecording();
