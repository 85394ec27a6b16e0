// While a take is recorded: every short message the port handed to a
// device, with the moment it went out on the performance counter, which
// runs on whatever the message loop does. The memory grows by chunks of a
// fixed size, and a spare chunk is made ready outside the key path, so
// recording a message never allocates.
#pragma once

#include "platform/win32.h"

#include <cstdint>

// About three and a half minutes of dense playing (20 messages a second)
// per chunk; at most this many messages can go out between the spare's use
// and the window's next message.
constexpr uint32_t CHUNK_EVENTS = 4096;

struct EventChunk {
    EventChunk* next;
    uint32_t count;
    int64_t times[CHUNK_EVENTS]; // performance counter
    DWORD messages[CHUNK_EVENTS];
};

// A take's messages in the order they went out.
struct TakeEvents {
    EventChunk* first = nullptr;
    EventChunk* last = nullptr;
    uint64_t count = 0;
};

struct TakeRecorder {
    bool recording = false;
    TakeEvents events;            // the take being recorded
    EventChunk* spare = nullptr;  // the next chunk, made ready beforehand
    int64_t lastTime = 0;         // when the last message went out
    uint64_t lost = 0;            // messages that found no room: only when memory ran out
    int64_t frequency = 10000000; // of the performance counter, read at each start
    HWND window = nullptr;        // told with MESSAGE_RECORDER_SPARE when the spare is used
};

extern TakeRecorder g_recorder;

// Kept in place of a message when the device was reset: every note it
// played ended, its pedals lifted. No channel message has this status.
constexpr DWORD RESET_EVENT = 0xFF;

// A message the port handed to a device; kept while recording.
void recordShortMessage(DWORD message);

// The performance counter now.
int64_t performanceCounterNow();

// A spare chunk ready; false when there is no memory for one.
bool prepareRecorderSpace();

// Recording starts with no events; stopping hands them over.
void startRecording(HWND window);
TakeEvents stopRecording();

// A take's chunks let go of, one kept as the spare.
void releaseEvents(TakeEvents& events);
// Every chunk the recorder holds let go of, the spare too.
void releaseRecorder();
