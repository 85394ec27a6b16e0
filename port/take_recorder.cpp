#include "port/take_recorder.h"

#include "base/window_messages.h"

#include <cstdlib>

TakeRecorder g_recorder;

namespace {

// The spare becomes the last chunk; null when there is none.
EventChunk* takeSpare(TakeEvents& events) {
    EventChunk* chunk = g_recorder.spare;
    if (!chunk) return nullptr;
    g_recorder.spare = nullptr;
    chunk->next = nullptr;
    chunk->count = 0;
    (events.last ? events.last->next : events.first) = chunk;
    events.last = chunk;
    // The next spare is made as soon as the window gets to this message. A
    // timer comes only when no posted message waits, and a fast MIDI input
    // can keep the queue from ever being empty.
    if (g_recorder.window) PostMessageW(g_recorder.window, MESSAGE_RECORDER_SPARE, 0, 0);
    return chunk;
}

} // namespace

void recordShortMessage(DWORD message) {
    if (!g_recorder.recording) return;
    TakeEvents& events = g_recorder.events;
    EventChunk* chunk = events.last;
    if (!chunk || chunk->count == CHUNK_EVENTS) chunk = takeSpare(events);
    if (!chunk) {
        ++g_recorder.lost;
        return;
    }
    // Read once the device has taken the message: the moment it went out.
    const int64_t now = performanceCounterNow();
    chunk->times[chunk->count] = now;
    chunk->messages[chunk->count] = message;
    ++chunk->count;
    ++events.count;
    g_recorder.lastTime = now;
}

int64_t performanceCounterNow() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

bool prepareRecorderSpace() {
    if (!g_recorder.spare) g_recorder.spare = (EventChunk*)std::malloc(sizeof(EventChunk));
    return g_recorder.spare != nullptr;
}

void startRecording(HWND window) {
    g_recorder.window = window;
    LARGE_INTEGER frequency;
    // Never fails from Windows XP on; a counter of no frequency is taken as 10 MHz.
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) g_recorder.frequency = frequency.QuadPart;
    g_recorder.events = TakeEvents{};
    g_recorder.lastTime = performanceCounterNow();
    g_recorder.recording = true;
}

TakeEvents stopRecording() {
    g_recorder.recording = false;
    const TakeEvents events = g_recorder.events;
    g_recorder.events = TakeEvents{};
    return events;
}

// The next take's first chunk is one of the last take's: no allocation,
// and no chunk freed only to be made again.
void releaseEvents(TakeEvents& events) {
    for (EventChunk* chunk = events.first; chunk;) {
        EventChunk* next = chunk->next;
        if (!g_recorder.spare) {
            g_recorder.spare = chunk;
        } else {
            std::free(chunk);
        }
        chunk = next;
    }
    events = TakeEvents{};
}

void releaseRecorder() {
    releaseEvents(g_recorder.events);
    std::free(g_recorder.spare);
    g_recorder.spare = nullptr;
    g_recorder.recording = false;
}
