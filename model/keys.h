// The keys of a section: which keys play, a press with chord mode off, the
// release of any key, the sustain pedal, and letting go of them all. A key
// is a computer key (its key id); it plays a section's note `offset`
// semitones above the section's base note.
#pragma once

#include "model/panel_areas.h"
#include "model/performance.h"

// Whether a key at `offset` plays at section s's octave: one whose note
// would pass 127 is no key at all. Transpose takes no part.
bool keyInRange(int32_t s, int32_t offset);

// Whether a computer key still owns a sounding note: its release must end
// it, whatever the key plays now.
bool keySounds(int32_t keyId);
bool anyKeySounds();

// A velocity given (an input note's) plays instead of the section's VOLUME.
PanelChange pressNote(int32_t keyId, int32_t s, int32_t offset, int32_t velocity = 0);

// The release ends what the press started, a note or a chord, whatever the
// chord mode, octave, transposition, channel or key map are now.
PanelChange releaseKey(int32_t keyId);

// Space: the pedal goes down on the active section's channel, and comes up
// on that channel.
PanelChange pressSustain();
PanelChange releaseSustain();
// The pedal ledger: a channel's sustain goes down with the first pedal
// holding it and comes up with the last.
void holdPedal(int32_t channel);
void liftPedal(int32_t channel);

// The window will miss the releases: every note a key sounds ends as its
// release would end it, a latched chord too, and the pedal comes up. Sends
// nothing when nothing is held. The input's notes and pedal play on: the
// input still sends its releases.
PanelChange releaseAllKeys();

// RESET: the pedals come up and the modulation goes back to 0 (a device
// reset need do neither), every key is let go and every note forgotten, the
// input's too; the device reset silences them.
void forgetAllKeys();
