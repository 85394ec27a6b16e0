#include "tests/property/wire_check.h"

#include "app/main_window.h"
#include "input/pitch_bend.h"
#include "model/performance.h"
#include "tests/fake/fake_win32.h"

#include <algorithm>
#include <iterator>

namespace {

// Enough to tell what went wrong without flooding a report.
const size_t EXAMPLES_PER_KIND = 3;

std::string at(size_t event) { return " (event " + std::to_string(event) + ")"; }

} // namespace

void WireCheck::note(const std::string& kind, const std::string& example) {
    auto found = std::find_if(kinds.begin(), kinds.end(), [&](const Kind& k) { return k.name == kind; });
    if (found == kinds.end()) found = kinds.insert(kinds.end(), Kind{kind, 0, {}});
    ++found->count;
    if (found->examples.size() < EXAMPLES_PER_KIND) found->examples.push_back(example);
}

std::vector<std::string> WireCheck::found() const {
    std::vector<std::string> lines;
    for (const Kind& kind : kinds) {
        lines.push_back(kind.name + ", " + std::to_string(kind.count) + " times:");
        for (const std::string& example : kind.examples) lines.push_back("    " + example);
    }
    return lines;
}

std::string WireCheck::first() const {
    return kinds.empty() ? "" : kinds.front().name + ": " + kinds.front().examples.front();
}

void WireCheck::onShortMessage(DWORD message, size_t event) {
    const unsigned status = message & 0xFF;
    const unsigned channel = status & 0x0F;
    const unsigned data1 = (message >> 8) & 0xFF;
    const unsigned data2 = (message >> 16) & 0xFF;
    const std::string text = fake::describeShortMessage(message);
    // The program sends note-off, note-on, controllers, program change, the
    // input's channel pressure and pitch bend, nothing else.
    const unsigned kind = status & 0xF0;
    if (kind < 0x80 || kind > 0xE0 || kind == 0xA0) {
        note("a status byte the program never sends", text + at(event));
        return;
    }
    if (data1 > 127 || data2 > 127 || message >> 24 != 0) {
        note("a data byte above 127", text + at(event));
        return;
    }
    onBank(kind, channel, data1, data2, text, event);
    if (kind == 0xB0) onController(channel, data1, data2, text, event);
    if (kind == 0xE0) {
        bend[channel] = data1 | data2 << 7;
        bentAt[channel] = event;
    }
    // A note struck again while it sounds would be cut short by the note-off
    // meant for the older one: two chords sharing it must not do that.
    if (kind == 0x90 && !sounding[channel][data1].empty())
        note("a note struck again while it sounds, which its older note-off would cut", text + at(event));
    if (kind == 0x90) sounding[channel][data1].push_back(Sounding{event, message});
    if (kind != 0x80) return;
    std::vector<Sounding>& started = sounding[channel][data1];
    if (!started.empty()) {
        if (started.front().message >> 16 != data2)
            note("a note-off at another velocity than its note-on's", text + at(event));
        started.erase(started.begin());
    } else if (silenced[channel][data1] > 0) {
        --silenced[channel][data1];
    } else if (strayNoteOffs) {
        note("a note-off for a note that is not sounding", text + at(event));
    }
}

void WireCheck::onController(unsigned channel, unsigned controller, unsigned value, const std::string& text,
                             size_t event) {
    if (controller == 0 || controller == 32) return; // onBank's
    if (controller == 1) return onModulation(channel, value, text, event);
    if (controller >= 120) {
        note("a channel mode message, which would undo what the ledgers hold", text + at(event));
    } else if (controller != 64) {
        return; // the input's, as it came
    } else if (value != 0 && value != 127) {
        note("a sustain pedal neither down nor up", text + at(event));
    } else if (value == 127) {
        if (pedalDown[channel]) note("the sustain pedal put down twice", text + at(event));
        pedalDown[channel] = event + 1;
        pedalChannel = (int)channel;
    } else if (pedalDown[channel]) {
        pedalDown[channel] = 0;
    } else if (strayNoteOffs) {
        note("the sustain pedal lifted where it was not down", text + at(event));
    }
}

// Once the event is over, a channel bent or modulated is one the
// keyboard's bend or Home, or the input's, holds.
void WireCheck::expectControlsHeld(size_t event) {
    for (unsigned channel = 0; channel < 16; ++channel) {
        const bool bendHeld = (int)channel == g_model.bentChannel || (g_model.inputBend.channels >> channel & 1);
        const bool modulationHeld = (int)channel == g_model.modulation.channel || (inputModulated >> channel & 1);
        if (bend[channel] != 8192 && !bendHeld)
            note("a channel bent that no bend holds", "channel " + std::to_string(channel + 1) + at(event));
        if (modulation[channel] != 0 && !modulationHeld)
            note("a channel modulated that no modulation holds", "channel " + std::to_string(channel + 1) + at(event));
    }
}

// Home's ramp in steps of 16 at most; the end of everything brings it to 0
// at once. The input's wheel moves as it will.
void WireCheck::onModulation(unsigned channel, unsigned value, const std::string& text, size_t event) {
    const bool input = ((inputModulated | g_model.inputModulation.channels) >> channel & 1) != 0;
    if (!input && (value > modulation[channel] + 16 || (value + 16 < modulation[channel] && value != 0)))
        note("a modulation step coarser than 16", text + " after " + std::to_string(modulation[channel]) + at(event));
    modulation[channel] = value;
}

bool WireCheck::modulatedBeyond(uint32_t channels) const {
    for (unsigned channel = 0; channel < 16; ++channel) {
        if (modulation[channel] != 0 && !(channels >> channel & 1)) return true;
    }
    return false;
}

// A bank's two halves go right before a program change on their channel,
// exactly where the model gives the channel a bank.
void WireCheck::onBank(unsigned kind, unsigned channel, unsigned data1, unsigned data2, const std::string& text,
                       size_t event) {
    const unsigned half = kind != 0xB0 ? 0 : data1 == 0 ? 1 : data1 == 32 ? 2 : 0;
    const bool next = bankHalves == 0 || bankChannel == channel;
    if (half ? bankHalves != half - 1 || !next : bankHalves != 0 && (bankHalves != 2 || kind != 0xC0 || !next))
        note("a bank select not right before a program change on its channel", text + at(event));
    const ChannelBank& expected = g_model.channelBanks[channel];
    if (kind == 0xC0 && ((bankHalves == 2) != expected.set || (expected.set && bank != (unsigned)expected.number)))
        note("a program change without its channel's bank", text + at(event));
    bank = half == 1 ? data2 << 7 : bank | data2;
    bankHalves = half;
    bankChannel = channel;
}

bool WireCheck::inputHolds() {
    return g_model.inputPedal || g_model.inputBend.channels || g_model.inputModulation.channels ||
           std::any_of(g_model.held + INPUT_SLOTS, std::end(g_model.held), [](const KeyVoices& k) { return k.count; });
}

std::vector<DWORD> WireCheck::inputReleases() {
    std::vector<DWORD> messages = {0x40B0, 0x4000E0, 0x01B0}; // the pedal up, the bend and the modulation at rest
    for (int32_t n = 0; n < NOTE_COUNT; ++n) {
        if (g_model.held[inputSlotOf(n)].count) messages.push_back(0x80 | (DWORD)n << 8);
    }
    return messages;
}

void WireCheck::expect(bool holds, const std::string& kind, size_t event) {
    if (!holds) note(kind, at(event));
}

void WireCheck::onReset() {
    for (int channel = 0; channel < 16; ++channel) {
        for (int n = 0; n < 128; ++n) {
            silenced[channel][n] += (uint32_t)sounding[channel][n].size();
            sounding[channel][n].clear();
        }
    }
}

void WireCheck::readLog(size_t event) {
    if (fake::overflowed()) note("the fake's log overflowed", at(event));
    for (size_t i = 0; i < fake::callCount(); ++i) {
        const fake::Call& call = fake::call(i);
        // Without a device (a failed reopen) nothing reaches any wire.
        const bool device = call.args[0] != 0;
        if (call.fn == fake::Fn::midiOutShortMsg && device) onShortMessage((DWORD)call.args[1], event);
        if (call.fn == fake::Fn::midiOutReset && device) onReset();
        if (call.fn == fake::Fn::PostQuitMessage) ended = true;
    }
    fake::clearLog();
    inputModulated = g_model.inputModulation.channels;
    expectControlsHeld(event);
}

void WireCheck::expectSilence(const std::string& moment) {
    for (const auto& channel : sounding) {
        for (const std::vector<Sounding>& notes : channel) {
            for (const Sounding& s : notes) {
                note("a note still sounding " + moment, fake::describeShortMessage(s.message) + at(s.event));
            }
        }
    }
    for (unsigned channel = 0; channel < 16; ++channel) {
        if (bend[channel] != 8192) {
            note("a channel left bent " + moment, "channel " + std::to_string(channel + 1) + " at " +
                                                      std::to_string(bend[channel]) + at(bentAt[channel]));
        }
        if (modulation[channel] != 0)
            note("a channel left modulated " + moment, "channel " + std::to_string(channel + 1));
        if (pedalDown[channel]) {
            note("a sustain pedal still down " + moment,
                 "channel " + std::to_string(channel + 1) + at(pedalDown[channel] - 1));
        }
    }
}

void WireCheck::expectRampsStopped(size_t event, const std::string& moment) {
    if (fake::timerRunning(TIMER_BEND_RAMP)) note("the bend timer still runs " + moment, at(event));
    if (fake::timerRunning(TIMER_MODULATION)) note("the modulation timer still runs " + moment, at(event));
}

void WireCheck::tickUntilRampsStop(size_t event, int maxTicks) {
    for (const UINT_PTR timer : {TIMER_BEND_RAMP, TIMER_MODULATION}) {
        for (int i = 0; i < maxTicks && fake::timerRunning(timer); ++i) {
            MainWndProc(fake::WINDOW, WM_TIMER, timer, 0);
            readLog(event);
        }
        if (fake::timerRunning(timer)) {
            note("a ramp's timer still runs after " + std::to_string(maxTicks) + " ticks", at(event));
        }
    }
}
