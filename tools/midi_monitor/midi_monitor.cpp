// The run command's MIDI monitor: where no synthesizer can play, a winmm.dll
// beside the program shows on standard output what it plays, as a musician
// reads it:
//   note-on   ch 1   C4 (60)   vel 127
//   program   ch 1   1 Acoustic Grand Piano
//   bend      ch 1   +500 (+0.12 st)
//   sustain   ch 1   on
// It is the test driver's stand-in winmm.dll (tests/e2e/driver/test_winmm.cpp)
// with this file as its variant: its one device is "MIDI monitor", and it
// keeps a log only when TONVALE_MIDI_LOG names one.
#include "tests/e2e/driver/driver_variant.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

const char* const NoteNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

// General MIDI's programs, counted from 1 as musicians and gm_ins.nms count them.
const char* const ProgramNames[] = {
    "Acoustic Grand Piano", "Bright Acoustic Piano", "Electric Grand Piano", "Honky-tonk Piano",
    "Electric Piano 1", "Electric Piano 2", "Harpsichord", "Clavi", "Celesta", "Glockenspiel", "Music Box",
    "Vibraphone", "Marimba", "Xylophone", "Tubular Bells", "Dulcimer", "Drawbar Organ", "Percussive Organ",
    "Rock Organ", "Church Organ", "Reed Organ", "Accordion", "Harmonica", "Tango Accordion",
    "Acoustic Guitar (nylon)", "Acoustic Guitar (steel)", "Electric Guitar (jazz)", "Electric Guitar (clean)",
    "Electric Guitar (muted)", "Overdriven Guitar", "Distortion Guitar", "Guitar Harmonics", "Acoustic Bass",
    "Electric Bass (finger)", "Electric Bass (pick)", "Fretless Bass", "Slap Bass 1", "Slap Bass 2",
    "Synth Bass 1", "Synth Bass 2", "Violin", "Viola", "Cello", "Contrabass", "Tremolo Strings",
    "Pizzicato Strings", "Orchestral Harp", "Timpani", "String Ensemble 1", "String Ensemble 2",
    "Synth Strings 1", "Synth Strings 2", "Choir Aahs", "Voice Oohs", "Synth Voice", "Orchestra Hit", "Trumpet",
    "Trombone", "Tuba", "Muted Trumpet", "French Horn", "Brass Section", "Synth Brass 1", "Synth Brass 2",
    "Soprano Sax", "Alto Sax", "Tenor Sax", "Baritone Sax", "Oboe", "English Horn", "Bassoon", "Clarinet",
    "Piccolo", "Flute", "Recorder", "Pan Flute", "Blown Bottle", "Shakuhachi", "Whistle", "Ocarina",
    "Lead 1 (square)", "Lead 2 (sawtooth)", "Lead 3 (calliope)", "Lead 4 (chiff)", "Lead 5 (charang)",
    "Lead 6 (voice)", "Lead 7 (fifths)", "Lead 8 (bass + lead)", "Pad 1 (new age)", "Pad 2 (warm)",
    "Pad 3 (polysynth)", "Pad 4 (choir)", "Pad 5 (bowed)", "Pad 6 (metallic)", "Pad 7 (halo)", "Pad 8 (sweep)",
    "FX 1 (rain)", "FX 2 (soundtrack)", "FX 3 (crystal)", "FX 4 (atmosphere)", "FX 5 (brightness)",
    "FX 6 (goblins)", "FX 7 (echoes)", "FX 8 (sci-fi)", "Sitar", "Banjo", "Shamisen", "Koto", "Kalimba",
    "Bag pipe", "Fiddle", "Shanai", "Tinkle Bell", "Agogo", "Steel Drums", "Woodblock", "Taiko Drum",
    "Melodic Tom", "Synth Drum", "Reverse Cymbal", "Guitar Fret Noise", "Breath Noise", "Seashore",
    "Bird Tweet", "Telephone Ring", "Helicopter", "Applause", "Gunshot",
};
static_assert(sizeof ProgramNames / sizeof ProgramNames[0] == 128, "one name for each program");

const int BEND_CENTRE = 8192;
const unsigned SUSTAIN_CONTROLLER = 64; // down from value 64 up
const double BEND_RANGE_SEMITONES = 2.0; // a synthesizer's range until told otherwise

void monitorLine(const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    std::strncat(line, "\n", sizeof line - std::strlen(line) - 1);
    DWORD written;
    // Unbuffered: the lines appear as the program plays.
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, (DWORD)std::strlen(line), &written, nullptr);
}

void loaded(unsigned deviceCount) {
    monitorLine("MIDI monitor: %u device(s); the messages the program sends are shown here.", deviceCount);
}

void opened(unsigned device, const char* deviceName) { monitorLine("open      device %u  \"%s\"", device, deviceName); }

void reset() { monitorLine("reset     all notes off"); }

void sent(DWORD message) {
    const unsigned status = message & 0xFF, data1 = (message >> 8) & 0x7F, data2 = (message >> 16) & 0x7F;
    const unsigned channel = (status & 0x0F) + 1;
    char note[16];
    std::snprintf(note, sizeof note, "%s%d (%u)", NoteNames[data1 % 12], (int)data1 / 12 - 1, data1);
    switch (status & 0xF0) {
    case 0x80: monitorLine("note-off  ch %-2u  %-9s vel %u", channel, note, data2); break;
    case 0x90: monitorLine("note-on   ch %-2u  %-9s vel %u", channel, note, data2); break;
    case 0xB0:
        if (data1 == SUSTAIN_CONTROLLER) {
            monitorLine("sustain   ch %-2u  %s", channel, data2 >= 64 ? "on" : "off");
        } else {
            monitorLine("control   ch %-2u  %u = %u", channel, data1, data2);
        }
        break;
    case 0xC0: monitorLine("program   ch %-2u  %u %s", channel, data1 + 1, ProgramNames[data1]); break;
    case 0xE0: {
        const int offset = (int)(data1 | data2 << 7) - BEND_CENTRE;
        monitorLine("bend      ch %-2u  %+d (%+.2f st)", channel, offset, offset * BEND_RANGE_SEMITONES / BEND_CENTRE);
        break;
    }
    default: monitorLine("message   %08lX", (unsigned long)message); break;
    }
}

void closed() { monitorLine("close"); }

} // namespace

const DriverVariant DRIVER_VARIANT = {"MIDI monitor", nullptr, loaded, opened, reset, sent, closed};
