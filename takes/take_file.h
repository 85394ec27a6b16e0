// A take as a Standard MIDI File: format 1, a tempo track first (120 beats
// a minute, 480 ticks a beat: a tick is about a millisecond), then a track
// per channel played, named after its section and patch, with the
// channel's program (after its bank, if it has one) at tick 0 and, at its
// end, every note still sounding ended, the pedal lifted, a bend sprung back
// and the modulation at 0, so that nothing is left hanging in the program
// that plays it. The silence before the first note is left out.
#pragma once

#include "base/files.h"
#include "model/performance.h"
#include "port/take_recorder.h"

#include <cstdint>

struct Take {
    uint32_t number = 0;                  // in this run, from 1; 0: no take
    SYSTEMTIME started = {};              // local time, which names the file
    int32_t programs[CHANNEL_COUNT] = {}; // each channel's program at the start
    ChannelBank banks[CHANNEL_COUNT] = {};
    uint8_t sections[CHANNEL_COUNT] = {}; // bit s: section s plays on the channel
    TakeEvents events;                    // once stopped; while recording they are g_recorder's
    int64_t end = 0;                      // the performance counter at the stop
    char path[MAX_PATH] = {};             // where it was saved; empty until then
    uint64_t savedCount = 0;              // how many events the saved file holds
    int64_t savedEnd = 0;                 // and where it ends
};

constexpr size_t TAKE_TITLE_SIZE = 64;

// "Tonvale 2026-05-17 14-30-05": the file's name without its extension,
// and the tempo track's name.
void takeTitle(const Take& take, char (&title)[TAKE_TITLE_SIZE]);

// The whole file for the events, ending at end (performance counter at
// frequency), written into file.
void writeTakeFile(NewFile& file, const Take& take, const TakeEvents& events, int64_t end, int64_t frequency);
