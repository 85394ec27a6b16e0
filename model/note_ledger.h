// The note ledger: which notes each key's press set sounding, per section
// and key, so that the release ends exactly those, on the channel they went
// to, whatever changed while the key was held. A note that is not sounding
// gets no note-off.
#pragma once

#include "model/performance.h"

// Starts note index n of the section for the key that owns it: its flag,
// its note-on, and its place in the ledger.
void startVoice(KeyboardSection& section, KeyVoices& owner, int32_t n);

// Ends every note the key still owns: flags cleared, note-offs sent, the
// key owning nothing afterwards.
void endVoices(KeyboardSection& section, KeyVoices& owner);
