// What the MIDI input plays: its notes through the sections as the computer
// keys play theirs (split, octave, transposition, chords), at their own
// velocity and in the same ledger, and its pedal, bend and modulation on
// the channels of the sections that play input, through their ledgers.
#pragma once

#include "model/panel_areas.h"

#include <cstdint>

// With Split and Custom, note n plays the left section below the split
// note and the right from it up; with Single, the active section.
int32_t inputSection(int32_t n);

// Note n struck at velocity 1..127: section s plays n + (OCTAVE - 5) * 12 +
// TRANS. on its channel, as a chord in chord mode. A note outside 0..127
// is not sent.
PanelChange playInputNote(int32_t n, int32_t velocity);
// Its note-off ends what its note-on started, whatever changed meanwhile,
// or latches its chord as a key's release would.
PanelChange endInputNote(int32_t n);

// The input's sustain pedal: down on the channels playing input now, up
// on those it went down on.
void holdInputPedal(bool down);

// The input's pitch bend, 0..16383: on the channels playing input now, and
// back at the centre on those it left.
void bendInput(int32_t value);

// The input's modulation wheel, 0..127: likewise, back at 0 where it left.
void modulateInput(int32_t value);

// The input closes: every note it sounds ends, its pedal comes up, its
// bend springs back and its modulation goes back to 0.
PanelChange endInput();
