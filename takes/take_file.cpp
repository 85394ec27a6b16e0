#include "takes/take_file.h"

#include "model/patch_names.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const uint32_t TICKS_PER_QUARTER = 480;
const int64_t TICKS_PER_SECOND = 960;                                        // 480 a beat at 120 beats a minute
const uint8_t TEMPO[] = {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};                // 500000 µs a beat
const uint8_t TIME_SIGNATURE[] = {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}; // 4/4
const uint8_t END_OF_TRACK[] = {0xFF, 0x2F, 0x00};
const uint8_t TRACK_NAME = 0x03;
const uint32_t MAX_DELTA = 0x0FFFFFFF; // the most four bytes of a variable-length quantity hold
const char* const SECTION_NAMES[] = {"", "Left", "Right", "Left and Right"};
const size_t TRACK_NAME_SIZE = 200;

// Bytes on their way to the file through a buffer, or only counted: a
// chunk's length comes before its bytes.
struct Sink {
    NewFile* file = nullptr; // null: only counting
    uint32_t count = 0;
    size_t used = 0;
    uint8_t buffer[8192];
};

void flush(Sink& sink) {
    if (sink.file && sink.used) writeToNewFile(*sink.file, sink.buffer, sink.used);
    sink.used = 0;
}

void put(Sink& sink, const void* bytes, size_t length) {
    sink.count += (uint32_t)length;
    if (!sink.file) return;
    for (size_t i = 0; i < length; ++i) {
        if (sink.used == sizeof sink.buffer) flush(sink);
        sink.buffer[sink.used++] = ((const uint8_t*)bytes)[i];
    }
}

// Most significant byte first, as every number of the file is.
void putNumber(Sink& sink, uint32_t value, int size) {
    uint8_t bytes[4];
    for (int i = 0; i < size; ++i) bytes[i] = (uint8_t)(value >> 8 * (size - 1 - i));
    put(sink, bytes, (size_t)size);
}

// Seven bits a byte, the most significant first; every byte but the last
// has its top bit set.
void putVariable(Sink& sink, uint32_t value) {
    uint8_t bytes[5];
    size_t length = 0;
    do {
        bytes[sizeof bytes - 1 - length] = (uint8_t)((value & 0x7F) | (length ? 0x80 : 0));
        value >>= 7;
        ++length;
    } while (value);
    put(sink, bytes + sizeof bytes - length, length);
}

// The first events.count events, which may be read while the recorder
// adds more on another thread: every chunk before the last is full, so the
// position alone tells where an event is, and neither a chunk's count nor
// the link out of the chunk holding the last of them, which the recorder
// may be changing, is read.
// Between chunks the writer lets another thread ready on its processor run
// first. Under Wine its lower priority does not reach the system, whose
// scheduler lets a running thread finish its time slice before one just
// woken: a key arriving mid-save would wait milliseconds, not a chunk's work.
template <class Visit>
void forEachEvent(const TakeEvents& events, Visit visit) {
    const EventChunk* chunk = events.first;
    for (uint64_t i = 0; i < events.count; ++i) {
        const uint32_t at = (uint32_t)(i % CHUNK_EVENTS);
        if (at == 0 && i > 0) {
            chunk = chunk->next;
            SwitchToThread();
        }
        visit(chunk->times[at], chunk->messages[at]);
    }
}

// A message as the file holds it: its length, 0 for one that is no channel
// message. Every event carries its status byte (no running status), and the
// data bytes stay within seven bits whatever came.
size_t fileBytes(DWORD message, uint8_t (&bytes)[3]) {
    bytes[0] = (uint8_t)(message & 0xFF);
    bytes[1] = (uint8_t)(message >> 8 & 0x7F);
    bytes[2] = (uint8_t)(message >> 16 & 0x7F);
    if (bytes[0] < 0x80 || bytes[0] >= 0xF0) return 0;
    const uint8_t kind = bytes[0] & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
}

// Ticks from the first note on, at 960 a second; whatever came before the
// first note is at 0.
struct Timing {
    int64_t origin;
    int64_t frequency;
};

int64_t tickAt(const Timing& timing, int64_t time) {
    if (time <= timing.origin) return 0;
    const int64_t elapsed = time - timing.origin;
    return elapsed / timing.frequency * TICKS_PER_SECOND +
           elapsed % timing.frequency * TICKS_PER_SECOND / timing.frequency;
}

Timing timingOf(const TakeEvents& events, int64_t frequency) {
    Timing timing{events.count > 0 ? events.first->times[0] : 0, std::max<int64_t>(frequency, 1)};
    bool noteFound = false;
    forEachEvent(events, [&](int64_t time, DWORD message) {
        if (noteFound || (message & 0xF0) != 0x90 || (message >> 16 & 0x7F) == 0) return;
        timing.origin = time;
        noteFound = true;
    });
    return timing;
}

// A track as written so far: where it is, and what it leaves sounding.
struct Track {
    int32_t channel = 0;
    int64_t tick = 0;
    uint32_t sounding[128] = {}; // note-ons not yet ended, by note
    bool pedalDown = false;
    bool bent = false;
    bool modulated = false;
};

void putEvent(Sink& sink, Track& track, int64_t tick, const uint8_t* bytes, size_t length) {
    putVariable(sink, (uint32_t)std::min<int64_t>(tick - track.tick, MAX_DELTA));
    put(sink, bytes, length);
    track.tick = tick;
}

void putText(Sink& sink, Track& track, uint8_t type, const char* text) {
    const uint8_t meta[] = {0xFF, type};
    putEvent(sink, track, 0, meta, sizeof meta);
    putVariable(sink, (uint32_t)std::strlen(text));
    put(sink, text, std::strlen(text));
}

void follow(Track& track, const uint8_t* bytes) {
    const uint8_t kind = bytes[0] & 0xF0;
    uint32_t& sounding = track.sounding[bytes[1]];
    if (kind == 0x90 && bytes[2] > 0) {
        ++sounding;
    } else if (kind == 0x80 || kind == 0x90) {
        if (sounding > 0) --sounding;
    } else if (kind == 0xB0 && bytes[1] == 64) {
        track.pedalDown = bytes[2] >= 64;
    } else if (kind == 0xB0 && bytes[1] == 1) {
        track.modulated = bytes[2] != 0;
    } else if (kind == 0xE0) {
        track.bent = bytes[1] != 0 || bytes[2] != 0x40;
    }
}

// Every note of the track ended and its pedal lifted, as a device reset does.
void putSilence(Sink& sink, Track& track, int64_t tick) {
    const uint8_t channel = (uint8_t)track.channel;
    for (int note = 0; note < 128; ++note) {
        for (; track.sounding[note] > 0; --track.sounding[note]) {
            const uint8_t off[] = {(uint8_t)(0x80 | channel), (uint8_t)note, 0};
            putEvent(sink, track, tick, off, sizeof off);
        }
    }
    const uint8_t pedalUp[] = {(uint8_t)(0xB0 | channel), 64, 0};
    if (track.pedalDown) putEvent(sink, track, tick, pedalUp, sizeof pedalUp);
    track.pedalDown = false;
}

// The end of a channel's track: nothing left sounding in the program that plays it.
void putEnd(Sink& sink, Track& track, int64_t tick) {
    putSilence(sink, track, tick);
    const uint8_t centre[] = {(uint8_t)(0xE0 | track.channel), 0, 0x40};
    if (track.bent) putEvent(sink, track, tick, centre, sizeof centre);
    const uint8_t modulationOff[] = {(uint8_t)(0xB0 | track.channel), 1, 0};
    if (track.modulated) putEvent(sink, track, tick, modulationOff, sizeof modulationOff);
    putEvent(sink, track, tick, END_OF_TRACK, sizeof END_OF_TRACK);
}

// "Left - Acoustic Grand Piano": the sections on the channel and its patch
// at the start, its name without the number the patch file gives it.
void trackName(const Take& take, int32_t channel, char (&name)[TRACK_NAME_SIZE]) {
    const int32_t program = take.programs[channel];
    const char* patch = channel == PERCUSSION_CHANNEL ? "Percussion" : patchName(program);
    while (*patch >= '0' && *patch <= '9') ++patch;
    if (*patch == ' ') ++patch;
    char who[24];
    std::snprintf(who, sizeof who, "Channel %d", (int)channel + 1);
    const uint8_t sections = take.sections[channel] & 3;
    if (sections) std::snprintf(who, sizeof who, "%s", SECTION_NAMES[sections]);
    if (*patch) {
        std::snprintf(name, sizeof name, "%s - %s", who, patch);
    } else {
        std::snprintf(name, sizeof name, "%s - Program %d", who, (int)program + 1);
    }
}

void putChannelTrack(Sink& sink, const Take& take, const TakeEvents& events, const Timing& timing, int32_t channel,
                     int64_t endTick) {
    Track track;
    track.channel = channel;
    char name[TRACK_NAME_SIZE];
    trackName(take, channel, name);
    putText(sink, track, TRACK_NAME, name);
    const ChannelBank& bank = take.banks[channel];
    const uint8_t bankHigh[] = {(uint8_t)(0xB0 | channel), 0, (uint8_t)(bank.number >> 7 & 0x7F)};
    const uint8_t bankLow[] = {(uint8_t)(0xB0 | channel), 32, (uint8_t)(bank.number & 0x7F)};
    if (bank.set) putEvent(sink, track, 0, bankHigh, sizeof bankHigh);
    if (bank.set) putEvent(sink, track, 0, bankLow, sizeof bankLow);
    const uint8_t program[] = {(uint8_t)(0xC0 | channel), (uint8_t)(take.programs[channel] & 0x7F)};
    putEvent(sink, track, 0, program, sizeof program);
    forEachEvent(events, [&](int64_t time, DWORD message) {
        if (message == RESET_EVENT) putSilence(sink, track, std::max(track.tick, tickAt(timing, time)));
        uint8_t bytes[3];
        const size_t length = fileBytes(message, bytes);
        if (length == 0 || (bytes[0] & 0x0F) != channel) return;
        putEvent(sink, track, tickAt(timing, time), bytes, length);
        follow(track, bytes);
    });
    putEnd(sink, track, endTick);
}

// A track chunk: its length, counted by writing it once without a file, then its bytes.
template <class Body>
void putTrack(Sink& sink, Body body) {
    Sink counter;
    body(counter);
    put(sink, "MTrk", 4);
    putNumber(sink, counter.count, 4);
    body(sink);
}

} // namespace

void takeTitle(const Take& take, char (&title)[TAKE_TITLE_SIZE]) {
    const SYSTEMTIME& t = take.started;
    std::snprintf(title, sizeof title, "Tonvale %04u-%02u-%02u %02u-%02u-%02u", (unsigned)t.wYear, (unsigned)t.wMonth,
                  (unsigned)t.wDay, (unsigned)t.wHour, (unsigned)t.wMinute, (unsigned)t.wSecond);
}

// One walk over the events finds the channels played and the end; then each
// track walks them twice, once to count its bytes and once to write them, so
// a take of hours needs no memory for the whole file.
void writeTakeFile(NewFile& file, const Take& take, const TakeEvents& events, int64_t end, int64_t frequency) {
    const Timing timing = timingOf(events, frequency);
    bool used[CHANNEL_COUNT] = {};
    uint32_t tracks = 1;
    int64_t endTick = tickAt(timing, end);
    forEachEvent(events, [&](int64_t time, DWORD message) {
        uint8_t bytes[3];
        if (fileBytes(message, bytes) == 0) return;
        endTick = std::max(endTick, tickAt(timing, time));
        if (!used[bytes[0] & 0x0F]) ++tracks;
        used[bytes[0] & 0x0F] = true;
    });
    Sink sink;
    sink.file = &file;
    put(sink, "MThd", 4);
    putNumber(sink, 6, 4);
    putNumber(sink, 1, 2); // format 1: tracks played at once
    putNumber(sink, tracks, 2);
    putNumber(sink, TICKS_PER_QUARTER, 2);
    char title[TAKE_TITLE_SIZE];
    takeTitle(take, title);
    putTrack(sink, [&](Sink& out) {
        Track track;
        putText(out, track, TRACK_NAME, title);
        putEvent(out, track, 0, TIME_SIGNATURE, sizeof TIME_SIGNATURE);
        putEvent(out, track, 0, TEMPO, sizeof TEMPO);
        putEvent(out, track, endTick, END_OF_TRACK, sizeof END_OF_TRACK);
    });
    for (int32_t channel = 0; channel < CHANNEL_COUNT; ++channel) {
        if (used[channel])
            putTrack(sink, [&](Sink& out) { putChannelTrack(out, take, events, timing, channel, endTick); });
    }
    flush(sink);
}
