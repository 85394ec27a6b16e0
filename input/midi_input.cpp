#include "input/midi_input.h"

#include "devices/input_device.h"
#include "display/repaint.h"
#include "model/input_notes.h"
#include "model/midi_bytes.h"
#include "model/midi_messages.h"
#include "model/parameters.h"
#include "port/midi_in_port.h"

namespace {

// The controllers the program keeps ledgers for are played through them.
// A bank goes nowhere (the program change it prepares selects a patch on
// the section's channel, with the bank the settings give that channel),
// nor do the channel mode messages, which would silence or reset what the
// ledgers hold.
PanelChange playController(uint8_t status, int32_t controller, int32_t value) {
    if (controller == SUSTAIN_CONTROLLER) holdInputPedal(value >= 64);
    if (controller == MODULATION_CONTROLLER) modulateInput(value);
    const bool kept = controller == SUSTAIN_CONTROLLER || controller == MODULATION_CONTROLLER ||
                      controller == BANK_MSB_CONTROLLER || controller == BANK_LSB_CONTROLLER ||
                      controller >= FIRST_CHANNEL_MODE_CONTROLLER;
    if (!kept) sendAsReceived(status, controller, value);
    return PanelChange{};
}

PanelChange play(DWORD message) {
    const uint8_t status = (uint8_t)message;
    // Masked: nothing above 127 goes on, whatever the driver hands over.
    const int32_t data1 = (int32_t)(message >> 8 & 0x7F);
    const int32_t data2 = (int32_t)(message >> 16 & 0x7F);
    switch (status & 0xF0) {
    case NOTE_ON:
        if (data2 > 0) return playInputNote(data1, data2);
        return endInputNote(data1); // velocity 0: a note-off
    case NOTE_OFF: return endInputNote(data1);
    case CONTROL_CHANGE: return playController(status, data1, data2);
    case PROGRAM_CHANGE: return choosePatch(data1);
    case CHANNEL_PRESSURE: sendAsReceived(status, data1, 0); return PanelChange{};
    case PITCH_BEND: bendInput(data1 | data2 << 7); return PanelChange{};
    // System messages, a note's own pressure (its note may play anywhere),
    // and a data byte where the status should be.
    default: return PanelChange{};
    }
}

} // namespace

void onMidiInput(HWND window, WPARAM handle, LPARAM message) {
    // Posted before its input was closed: no longer the input's to play.
    if (!fromInput(handle)) return;
    showPanelChange(window, play((DWORD)message));
}

void onInputClosed(HWND window, WPARAM handle) {
    if (g_input.closesAwaited > 0) {
        --g_input.closesAwaited;
        return;
    }
    // The device went away (unplugged): its name stays for the next run.
    if (fromInput(handle)) closeInput(window);
}
