// Keeping what was played: F9 starts a take, which records every short
// message the port sends, and F9 stops it and saves it as a Standard MIDI
// File in Documents\Tonvale (beside the program in Takes, for a portable
// install). A take in progress is also saved a few seconds after playing
// pauses and when the session or the program ends, so a crash loses at most
// the last seconds. A failed save is told once and tried again, the take
// kept in memory meanwhile.
#pragma once

#include "model/panel_areas.h"
#include "platform/win32.h"
#include "takes/take_file.h"

// The take being recorded and those stopped and not saved yet.
constexpr int TAKE_SLOTS = 4;

struct Takes {
    Take slots[TAKE_SLOTS]; // a slot whose number is 0 is free
    int recording = -1;     // the slot being recorded; -1: none
    uint32_t lastNumber = 0;
    uint32_t savedNumber = 0; // the take the displays say was saved; 0: none
    int64_t newsEnd = 0;      // when they stop saying so, on the performance counter
    int64_t retryAt = 0;      // the next try after a failed save
    bool failureTold = false; // since the last save that worked
    bool lossTold = false;    // messages found no memory
    bool timerSet = false;
};

extern Takes g_takes;

// F9: starts a take, or stops the one being recorded and saves it.
PanelChange switchTake(HWND window);

// Twice a second while there is a take or news of one: a spare chunk made
// ready, the take saved once playing has paused, a failed save tried again,
// the news of a saved take taken down.
PanelChange onTakeTimer(HWND window);

// The session ends: every take written as it stands, without a word.
void saveTakesNow();

// The program ends: the take stopped, every take saved (one that cannot be
// is told of), the memory let go of.
void endTakes();
// Every take's memory let go of, saved or not.
void releaseTakes();
