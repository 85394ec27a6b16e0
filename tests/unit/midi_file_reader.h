// A Standard MIDI File read back strictly, for the tests: a chunk length
// that does not match, an event without its status byte (running status),
// a data byte above 127 or a track not closed by end-of-track fails it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FileEvent {
    size_t track;
    uint32_t tick;
    std::string text; // "note-on 0x90 60 127" as the fake describes it, "tempo 500000", "name Left - ..."
};

struct MidiFileRead {
    std::string error; // empty: read whole
    unsigned format = 0, tracks = 0, division = 0;
    std::vector<FileEvent> events;
};

MidiFileRead readMidiFile(const std::string& bytes);
