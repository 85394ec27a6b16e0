// The bytes on the wire: notes, program changes with the per-channel patch
// memory, and pitch bend.
#include "devices/midi_device.h"
#include "model/keys.h"
#include "model/midi_messages.h"
#include "model/parameters.h"
#include "model/performance.h"
#include "port/midi_out_port.h"
#include "tests/unit/program_test.h"

namespace {

using MidiMessagesTest = ProgramTest;

// A section's value; its patch is its channel's.
void set(int s, int32_t id, int32_t value) {
    int32_t* values = g_model.sections[s].values;
    (id == ParamId::PATCH ? g_model.ChannelPatchTable[values[ParamId::CHANNEL]] : values[id]) = value;
}

// Key index k sounded with the section's values as they stand now.
void sendNote(const KeyboardSection& section, int32_t k, bool on) { sendVoice(voiceOf(section, k), on); }

TEST_F(MidiMessagesTest, NoteOnAndOffAtTheStartState) {
    sendNote(g_model.sections[0], 0, 1);
    sendNote(g_model.sections[0], 0, 0);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 60 127", "note-off 0x80 60 127"}));
    EXPECT_EQ(fake::calls()[0], "midiOutShortMsg midi1 note-on 0x90 60 127");
    EXPECT_EQ(fake::call(0).args[1], 0x007F3C90) << "status, note, velocity and nothing in the high byte";
}

TEST_F(MidiMessagesTest, NoteOffCarriesTheValuesAtRelease) {
    set(1, ParamId::CHANNEL, 3);
    set(1, ParamId::TRANSPOSE, 2);
    sendNote(g_model.sections[1], 4, 1);
    set(1, ParamId::VOLUME, 90);
    set(1, ParamId::OCTAVE, 3);
    sendNote(g_model.sections[1], 4, 0);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x93 66 127", "note-off 0x83 42 90"}));
}

TEST_F(MidiMessagesTest, ANoteAbove127IsNotSent) {
    set(0, ParamId::OCTAVE, 9);
    set(0, ParamId::TRANSPOSE, 11);
    sendNote(g_model.sections[0], 16, 1); // note 135
    sendNote(g_model.sections[0], 8, 1);  // note 127 is the highest sent
    sendNote(g_model.sections[0], 9, 1);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 127 127"}));
}

TEST_F(MidiMessagesTest, WithoutAnOpenDeviceNothingReachesTheSystem) {
    closePort();
    fake::clearLog();
    sendNote(g_model.sections[0], 0, 1);
    sendPitchBend();
    stepSelectedUp(0);
    EXPECT_EQ(resetPort(), (MMRESULT)MMSYSERR_NOERROR);
    closePort();
    EXPECT_EQ(fake::callCount(), 0u) << fake::calls()[0];
}

TEST_F(MidiMessagesTest, PatchStepIsRememberedForTheChannel) {
    selectParam(0, ParamId::CHANNEL);
    set(0, ParamId::CHANNEL, 3);
    selectParam(0, ParamId::PATCH);
    fake::clearLog();
    stepSelectedUp(0);
    EXPECT_EQ(g_model.ChannelPatchTable[3], 1);
    EXPECT_EQ(fake::midiMessages(), Lines({"program 0xC3 1"}));
}

TEST_F(MidiMessagesTest, ChangingChannelTakesUpThePatchRememberedThere) {
    g_model.ChannelPatchTable[0] = 12;
    set(0, ParamId::PATCH, 12);
    g_model.ChannelPatchTable[1] = 33;
    selectParam(0, ParamId::CHANNEL);
    stepSelectedUp(0);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::PATCH), 33);
    EXPECT_EQ(g_model.ChannelPatchTable[0], 12) << "channel 0 keeps its patch";
    EXPECT_EQ(fake::midiMessages(), Lines({"program 0xC1 33"}));
}

TEST_F(MidiMessagesTest, ThePercussionChannelAlwaysHasPatchZero) {
    selectParam(0, ParamId::CHANNEL);
    setSelectedValue(PERCUSSION_CHANNEL);
    selectParam(0, ParamId::PATCH);
    fake::clearLog();

    stepSelectedUp(0);
    knobStep(+1);
    setSelectedValue(57);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::PATCH), 0);
    EXPECT_EQ(g_model.ChannelPatchTable[PERCUSSION_CHANNEL], 0);
    EXPECT_EQ(fake::midiMessages(), Lines({"program 0xC9 0", "program 0xC9 0", "program 0xC9 0"}));
}

TEST_F(MidiMessagesTest, OctaveVolumeAndTransposeSendNothing) {
    for (int32_t id : {ParamId::OCTAVE, ParamId::VOLUME, ParamId::TRANSPOSE}) {
        SCOPED_TRACE(id);
        selectParam(0, id);
        stepSelectedUp(0);
        stepSelectedDown(0);
        knobStep(+1);
        setSelectedValue(3);
    }
    EXPECT_TRUE(fake::midiMessages().empty());
}

TEST_F(MidiMessagesTest, PitchBendSplitsIntoSevenBitHalves) {
    const struct {
        int32_t value;
        const char* expected;
    } cases[] = {
        {8192, "bend 0xE0 0 64"}, {0, "bend 0xE0 0 0"}, {16383, "bend 0xE0 127 127"}, {8692, "bend 0xE0 116 67"}};
    for (const auto& c : cases) {
        fake::clearLog();
        g_model.bendValue = c.value;
        sendPitchBend();
        EXPECT_EQ(fake::midiMessages(), Lines({c.expected})) << c.value;
    }
}

} // namespace
