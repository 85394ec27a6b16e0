// What the program put on the wire, read from the fake's log as it goes:
// every short message well formed, every note it started stopped again (or
// silenced by a device reset) at its velocity and none struck again while it
// sounds, every sustain pedal that went down lifted on its channel, Home's
// modulation in steps of 16 at most, a channel bent or modulated only while
// a bend or a modulation holds it, back at rest, no channel mode message,
// and a bank right before its channel's program change exactly where the
// model has one. Shared by the property test and the
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
    // bent or modulated becomes a violation: call it once every key is up and the ramps have
    // ended ("at the end"), or once the keys are lost.
    void expectSilence(const std::string& moment);

    // The bend and modulation timers are not running, at a moment they must have stopped.
    void expectRampsStopped(size_t event, const std::string& moment);

    // Ticks each of them until it stops, at most maxTicks times, reading
    // the log after each tick; a timer still running is a violation.
    void tickUntilRampsStop(size_t event, int maxTicks);

    // Whether the MIDI input holds a note, its pedal, bend or modulation,
    // which the keys lost do not end; and the messages that let go of them.
    static bool inputHolds();
    static std::vector<DWORD> inputReleases();

    // A violation the caller saw itself, noted with the wire's.
    void expect(bool holds, const std::string& kind, size_t event);
    // The channel the sustain pedal last went down on, -1 before any.
    int lastPedalDown() const { return pedalChannel; }
    // Whether the modulation is up on a channel beyond these (by bit).
    bool modulatedBeyond(uint32_t channels) const;

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
    void expectControlsHeld(size_t event);
    void onModulation(unsigned channel, unsigned value, const std::string& text, size_t event);
    void onBank(unsigned kind, unsigned channel, unsigned data1, unsigned data2, const std::string& text, size_t event);

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
    unsigned modulation[16] = {}; // by channel, as last sent
    uint16_t inputModulated = 0; // the channels the input's modulation held after the last event
    unsigned bankHalves = 0; // of the bank select going out: how many, on which channel, which bank
    unsigned bankChannel = 0;
    unsigned bank = 0;
    std::vector<Kind> kinds; // in the order they first happened
};
