// A Standard MIDI File read back strictly: "format 1 tracks 3 division 480",
// then "track tick event" ("1 480 note-off 0x80 60 127", "0 0 tempo 500000"),
// or one line why not: a chunk length that does not match, an event without
// its status byte (running status), a data byte above 127, a track not ended.
#pragma once

#include "tests/fake/fake_win32.h"

Lines readMidiFile(const std::string& bytes);
