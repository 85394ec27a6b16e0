// What the program put on the wire, read from the fake's log as it goes:
// every short message well formed, every note it started stopped again (or
// silenced by a device reset) and none struck again while it sounds, every
// sustain pedal that went down lifted on its channel, no channel mode
// message, and a channel bent only while a bend holds it, back at the centre. Shared by the property test and the
// window-message fuzzer, so it uses no test framework.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class WireCheck {
public:
    // Also a note-off for a note that is not sounding, or a pedal lifted
    // that is not down, is a violation.
    explicit WireCheck(bool checkStrayNoteOffs) : strayNoteOffs(checkStrayNoteOffs) {}

    // Reads the calls logged since the last look and clears the log, so
    // that a long run never fills it. event: what made them, for reports.
    void readLog(size_t event);
    // Each note still sounding, each pedal still down and each channel
    // bent becomes a violation: call it once every key is up and the bend gesture has
    // ended ("at the end"), or once the keys are lost.
    void expectSilence(const std::string& moment);

    // The bend timer is not running, at a moment it must have stopped.
    void expectBendStopped(size_t event, const std::string& moment);

    // Ticks the bend timer until it stops, at most maxTicks times, reading
    // the log after each tick; a timer still running is a violation.
    void tickUntilBendStops(size_t event, int maxTicks);

    // A violation the caller saw itself, noted with the wire's.
    void expect(bool holds, const std::string& kind, size_t event);
    // The channel the sustain pedal last went down on, -1 before any.
    int lastPedalDown() const { return pedalChannel; }

    bool failed() const { return !kinds.empty(); }
    // Each kind of violation with how often it happened and a few examples.
    std::vector<std::string> found() const;
    // The first violation alone.
    std::string first() const;
    // PostQuitMessage was called: the window is gone.
    bool programEnded() const { return ended; }
    // A violation found elsewhere (in a take), of a kind, with an example.
    void note(const std::string& kind, const std::string& example);

private:
    struct Sounding {
        size_t event;
        DWORD message;
    };
    struct Kind {
        std::string name;
        size_t count;
        std::vector<std::string> examples;
    };
    void onShortMessage(DWORD message, size_t event);
    void onReset();
    void onController(unsigned channel, unsigned controller, unsigned value, const std::string& text, size_t event);
    void onBend(unsigned channel, unsigned value, const std::string& text, size_t event);
    void expectBendsHeld(size_t event);

    bool strayNoteOffs;
    bool ended = false;
    // By channel and note, the note-ons not yet paired with a note-off,
    // oldest first.
    std::vector<Sounding> sounding[16][128];
    // Notes a reset silenced: a later note-off for one of them is allowed.
    uint32_t silenced[16][128] = {};
    // By channel, the event that put the sustain pedal down; 0 while up.
    size_t pedalDown[16] = {};
    int pedalChannel = -1;
    // By channel, the bend last sent and the event that sent it.
    unsigned bend[16] = {8192, 8192, 8192, 8192, 8192, 8192, 8192, 8192,
                         8192, 8192, 8192, 8192, 8192, 8192, 8192, 8192};
    size_t bentAt[16] = {};
    std::vector<Kind> kinds; // in the order they first happened
};
