// The take writer: a thread of the program's own, below the player's
// priority, that writes a take's file while the keys go on playing. It is
// handed one job at a time, a copy of what it needs, and tells the window
// with MESSAGE_TAKE_WRITTEN when it is done; the window then takes the result.
#pragma once

#include "platform/win32.h"
#include "takes/take_file.h"

// A take to write, and what became of it.
struct WriteJob {
    Take take;             // its details as they stood, and its first take.events.count events
    int64_t end = 0;       // the performance counter where the file ends
    int64_t frequency = 1; // of the performance counter
    int slot = -1;         // which of the takes it is, for the window
    // Back from the writer.
    bool saved = false;
    DWORD error = 0;             // the system's code for why not
    WCHAR path[MAX_PATH] = {};   // the file written, or the one tried
    WCHAR folder[MAX_PATH] = {}; // the folder it was to go to; empty: none could be named
};

struct TakeWriter {
    HANDLE thread = nullptr;
    HANDLE jobReady = nullptr; // auto-reset: a job, or the end, handed over
    HANDLE idle = nullptr;     // manual-reset: set while the writer holds no job
    HWND window = nullptr;     // told of each job done
    bool ending = false;       // set before jobReady: the thread returns
    bool busy = false;         // the window's own: a job handed over whose result is not taken yet
    WriteJob job;              // the writer's from its hand-over until idle is set
};

extern TakeWriter g_writer;

// Writes the job's take in place of its file, naming the file first if it
// has none yet: where takes belong, or in the fallback folder. Runs on
// whichever thread calls it.
void writeTake(WriteJob& job);

// Makes the thread, once. False when the system cannot: jobs are then
// written where they are handed over.
bool startTakeWriter(HWND window);

// Hands a job over; only while the writer is not busy.
void handOver(const WriteJob& job);

// The job done, once the writer holds none, waiting up to ms for it; null
// while it still writes or when nothing was handed over.
const WriteJob* finishedJob(DWORD ms);

// Ends the thread, which must not be busy; false when it did not end in ms.
bool endTakeWriter(DWORD ms);
