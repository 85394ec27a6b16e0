// The keyboard g_model.sections: start state, stepping, the knob, selection, Tab and
// the key range.
#include "display/knob_indicator.h"
#include "display/panel.h"
#include "display/panel_layout.h"
#include "display/repaint.h"
#include "model/key_map.h"
#include "model/keys.h"
#include "model/midi_messages.h"
#include "model/parameters.h"
#include "model/performance.h"
#include "tests/unit/program_test.h"

namespace {

using ModelTest = ProgramTest;

struct Position {
    double x;
    double y;
};

Position knobPositionFor(uint32_t value, uint32_t count) {
    const POINT dot = knobIndicatorPosition(value, count);
    return {(double)dot.x, (double)dot.y};
}

#define EXPECT_KNOB_AT(value, count)                                                                                   \
    do {                                                                                                               \
        const Position expected = knobPositionFor((value), (count));                                                   \
        EXPECT_EQ(knobIndicatorPosition().x, expected.x);                                                              \
        EXPECT_EQ(knobIndicatorPosition().y, expected.y);                                                              \
    } while (0)

TEST_F(ModelTest, StartStateOfBothSections) {
    for (int s = 0; s < SECTION_COUNT; ++s) {
        SCOPED_TRACE(s);
        const KeyboardSection& section = g_model.sections[s];
        EXPECT_EQ(paramValue(section, ParamId::CHANNEL), 0);
        EXPECT_EQ(paramValue(section, ParamId::PATCH), 0);
        EXPECT_EQ(paramValue(section, ParamId::OCTAVE), 5);
        EXPECT_EQ(paramValue(section, ParamId::VOLUME), 127);
        EXPECT_EQ(paramValue(section, ParamId::TRANSPOSE), 0);
        EXPECT_EQ(paramValue(section, ParamId::CHORD), 0);
        EXPECT_EQ(section.selectedParam, ParamId::PATCH);
        for (int k = 0; k < KEY_COUNT; ++k) EXPECT_EQ(section.keyDown[k], 0);
    }
    EXPECT_EQ(paramCount(ParamId::PATCH), 128);
    EXPECT_EQ(paramCount(ParamId::CHANNEL), 16);
    EXPECT_EQ(paramCount(ParamId::OCTAVE), 11);
    EXPECT_EQ(paramCount(ParamId::VOLUME), 128);
    EXPECT_EQ(paramCount(ParamId::TRANSPOSE), 12);
    EXPECT_EQ(paramCount(ParamId::CHORD), 10);
    EXPECT_EQ(g_model.activeSection, 0);
    for (int32_t program : g_model.ChannelPatchTable) EXPECT_EQ(program, 0);
    for (const KeyboardSection& section : g_model.sections) EXPECT_EQ(section.lastChordKey, NO_KEY);
    EXPECT_EQ(g_model.bendValue, 8192);
    EXPECT_EQ(g_model.bendTarget, 8192);
    EXPECT_TRUE(fake::calls().empty()) << "initialising sends and draws nothing";
}

TEST_F(ModelTest, PlusAndMinusAtTheirBoundsStillResendTheProgram) {
    g_model.ChannelPatchTable[0] = 127;
    stepSelectedUp(0);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::PATCH), 127);
    EXPECT_EQ(fake::midiMessages(), Lines({"program 0xC0 127"}));
    EXPECT_KNOB_AT(127, 128);

    fake::clearLog();
    g_model.ChannelPatchTable[0] = 0;
    stepSelectedDown(0);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::PATCH), 0);
    EXPECT_EQ(fake::midiMessages(), Lines({"program 0xC0 0"}));
}

TEST_F(ModelTest, PlusStepsTheSelectedParameterAndMovesTheKnob) {
    selectParam(0, ParamId::CHANNEL);
    fake::clearLog();
    stepSelectedUp(0);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::CHANNEL), 1);
    EXPECT_EQ(fake::midiMessages(), Lines({"program 0xC1 0"}));
    EXPECT_KNOB_AT(1, 16);
    EXPECT_TRUE(fake::calls({fake::Fn::InvalidateRect}).empty()) << "the click handler repaints, not the model";
}

TEST_F(ModelTest, KnobClampsAndPassesTheTopValueAsItsCount) {
    selectParam(0, ParamId::OCTAVE);
    g_model.sections[0].values[ParamId::OCTAVE] = 10;
    knobStep(+1);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::OCTAVE), 10);
    EXPECT_EQ(knobIndicatorPosition().x, 407);
    EXPECT_EQ(knobIndicatorPosition().y, 66);

    stepSelectedUp(0); // the same value reached by +: one step short of the end
    EXPECT_EQ(knobIndicatorPosition().x, 415);
    EXPECT_EQ(knobIndicatorPosition().y, 57);

    g_model.sections[0].values[ParamId::OCTAVE] = 0;
    knobStep(-1);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::OCTAVE), 0);
    EXPECT_KNOB_AT(0, 10);
}

TEST_F(ModelTest, KnobStepSendsAndReportsTheKnobAndBothDisplays) {
    const PanelChange change = knobStep(+1);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::PATCH), 1);
    EXPECT_EQ(fake::calls(), Lines({"midiOutShortMsg midi1 program 0xC0 1"}));
    EXPECT_EQ(change.areas, AREA_KNOB | AREA_DISPLAY_0 | AREA_DISPLAY_1);
    EXPECT_KNOB_AT(1, 127);
}

TEST_F(ModelTest, KnobCountsOneBelowTheTopAsTheTop) {
    // One step up from count - 2 lands on the top value exactly.
    selectParam(0, ParamId::TRANSPOSE);
    g_model.sections[0].values[ParamId::TRANSPOSE] = 10;
    knobStep(+1);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::TRANSPOSE), 11);
    EXPECT_KNOB_AT(11, 11);
}

TEST_F(ModelTest, SelectingMakesTheSectionActiveAndSendsNothing) {
    selectParam(1, ParamId::VOLUME);
    EXPECT_EQ(g_model.activeSection, 1);
    EXPECT_EQ(g_model.sections[1].selectedParam, ParamId::VOLUME);
    EXPECT_EQ(g_model.sections[0].selectedParam, ParamId::PATCH);
    EXPECT_KNOB_AT(127, 128);
    EXPECT_TRUE(fake::calls().empty());
}

TEST_F(ModelTest, ChordModeTogglesAndRepaintsOnlyItsDisplay) {
    showPanelChange(fake::WINDOW, toggleChordMode(1));
    EXPECT_EQ(paramValue(g_model.sections[1], ParamId::CHORD), 1);
    EXPECT_EQ(g_model.activeSection, 0) << "CHORD does not change the active section";
    showPanelChange(fake::WINDOW, toggleChordMode(1));
    EXPECT_EQ(paramValue(g_model.sections[1], ParamId::CHORD), 0);
    EXPECT_EQ(fake::calls(),
              Lines({"InvalidateRect window 499,34,769,76 FALSE", "InvalidateRect window 499,34,769,76 FALSE"}));

    selectParam(1, ParamId::CHORD); // Off, then on as 7 by the arrows, off by CHORD and back on as 7
    for (int step = 0; step < 3; ++step) stepSelectedUp(1);
    toggleChordMode(1);
    EXPECT_EQ(paramValue(g_model.sections[1], ParamId::CHORD), ChordType::OFF);
    toggleChordMode(1);
    EXPECT_EQ(paramValue(g_model.sections[1], ParamId::CHORD), ChordType::SEVENTH);
}

TEST_F(ModelTest, TabSwitchesSectionsRepaintsAllAndSendsNothing) {
    selectParam(1, ParamId::OCTAVE);
    selectParam(0, ParamId::PATCH);
    fake::clearLog();
    showPanelChange(fake::WINDOW, switchActiveSection());
    EXPECT_EQ(g_model.activeSection, 1);
    EXPECT_KNOB_AT(5, 11);
    showPanelChange(fake::WINDOW, switchActiveSection());
    EXPECT_EQ(g_model.activeSection, 0);
    EXPECT_KNOB_AT(0, 128);
    EXPECT_EQ(fake::calls(), Lines({"InvalidateRect window all FALSE", "InvalidateRect window all FALSE"}));
}

} // namespace
