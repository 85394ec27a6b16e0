// The note ledger: which notes each computer key's press set sounding, so
// that its release ends exactly those, on the channel they went to, whatever
// changed while it was held (the octave, the channel, the key map). A note
// two keys hold sounds once and ends with the last of them.
#pragma once

#include "model/performance.h"

// Starts the note at `offset` of section s for the key that owns it: the
// key drawn down, the note-on unless another key holds the note already,
// and its place in the ledger. The key's first note takes the touch of
// its press, Shift or not, and the rest of its notes follow it.
void startVoice(KeyVoices& owner, int32_t s, int32_t offset);

// Ends every note the key still owns: keys drawn up, note-offs for the
// notes no other key holds, the key owning nothing afterwards.
void endVoices(KeyVoices& owner);
