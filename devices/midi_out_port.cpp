#include "devices/midi_out_port.h"

MidiOutPort midiOutPort;
