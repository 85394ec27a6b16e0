// The bend gesture of Page Up and Page Down with its spring-back, and the
// wheel drag.
#include "display/panel.h"
#include "input/drags.h"
#include "input/pitch_bend.h"
#include "model/keys.h"
#include "model/parameters.h"
#include "model/performance.h"
#include "tests/unit/key_messages.h"
#include "tests/unit/program_test.h"

#include <climits>

namespace {

using PitchBendTest = ProgramTest;

const char WHEEL[] = "InvalidateRect window 390,127,411,242 FALSE";
const char LEFT_DISPLAY[] = "InvalidateRect window 32,34,302,76 FALSE";
const char RIGHT_DISPLAY[] = "InvalidateRect window 499,34,769,76 FALSE";
const char CENTRE[] = "bend 0xE0 0 64";

const int WHEEL_Y = 180;

void startWheelDrag() { // as a press in the wheel does it
    startWheelDrag(fake::WINDOW, WHEEL_Y);
    fake::clearLog();
}

// Sends one tick per call until the timer is killed, at most limit ticks.
Lines ticksUntilTheTimerStops(int limit) {
    for (int i = 0; i < limit && fake::count(fake::Fn::KillTimer) == 0; ++i) timerTick();
    return fake::midiMessages();
}

TEST_F(PitchBendTest, PageUpRampsUpThenSpringsBack) {
    pageUp();
    EXPECT_EQ(g_model.bendTarget, 9692);
    EXPECT_EQ(fake::calls(), Lines({"SetTimer window id 1 1ms"}));

    fake::clearLog();
    timerTick();
    timerTick();
    EXPECT_EQ(fake::midiMessages(), Lines({"bend 0xE0 116 67", "bend 0xE0 104 71"})); // 8692, 9192
    EXPECT_EQ(fake::calls({fake::Fn::InvalidateRect}), Lines({WHEEL, WHEEL}));
    fake::clearLog();
    timerTick();
    EXPECT_EQ(fake::midiMessages(), Lines({"bend 0xE0 0 64"}));
    EXPECT_FALSE(fake::timerRunning(TIMER_BEND_RAMP));
    EXPECT_EQ(g_model.bendValue, 8192);
    EXPECT_EQ(g_model.bendTarget, 8192);
}

TEST_F(PitchBendTest, PageDownRampsDownThenSpringsBack) {
    pageDown();
    fake::clearLog();
    EXPECT_EQ(ticksUntilTheTimerStops(10), Lines({"bend 0xE0 12 60", "bend 0xE0 24 56", CENTRE})); // 7692, 7192
}

TEST_F(PitchBendTest, UpAndDownBeforeTheFirstTickEndTheGestureAtOnce) {
    pageUp();
    pageDown();
    fake::clearLog();
    EXPECT_EQ(ticksUntilTheTimerStops(10), Lines({CENTRE})) << "the centre once, and the timer stops";

    pageUp(); // the next gesture runs from the centre
    fake::clearLog();
    EXPECT_EQ(ticksUntilTheTimerStops(10), Lines({"bend 0xE0 116 67", "bend 0xE0 104 71", CENTRE}));
}

TEST_F(PitchBendTest, ATargetBeyondTheRangeIsClampedAtTheTick) {
    for (int i = 0; i < 6; ++i) pageUp(fake::repeatOf(scan::PAGE_UP));
    EXPECT_EQ(g_model.bendTarget, 8192 + 9000);
    fake::clearLog();
    timerTick();
    EXPECT_EQ(g_model.bendTarget, 16383);
    const Lines sent = ticksUntilTheTimerStops(100);
    ASSERT_EQ(sent.size(), 17u);             // 8692 .. 16192, then the centre
    EXPECT_EQ(sent[15], "bend 0xE0 64 126"); // 16192
    EXPECT_EQ(sent[16], CENTRE);
}

TEST_F(PitchBendTest, ATargetBelowZeroIsClampedAtTheTick) {
    g_model.bendTarget = -5000;
    timerTick();
    EXPECT_EQ(g_model.bendTarget, 0);
    const Lines sent = ticksUntilTheTimerStops(100);
    ASSERT_EQ(sent.size(), 17u);           // 7692 .. 192, then the centre
    EXPECT_EQ(sent[15], "bend 0xE0 64 1"); // 192
    EXPECT_EQ(sent[16], CENTRE);
}

TEST_F(PitchBendTest, NudgingFarBeyondTheRangeNeverOverflows) {
    g_model.bendTarget = INT_MAX - 100;
    nudgeBend(fake::WINDOW, +1500);
    EXPECT_GT(g_model.bendTarget, 16383);
    g_model.bendTarget = INT_MIN + 100;
    nudgeBend(fake::WINDOW, -1500);
    EXPECT_LT(g_model.bendTarget, 0);
    timerTick();
    EXPECT_EQ(g_model.bendTarget, 0);
}

TEST_F(PitchBendTest, ABendMovingToAnotherChannelSpringsTheOldOneBackFirst) {
    g_model.sections[1].values[ParamId::CHANNEL] = 3;
    pageUp();
    timerTick();
    typeCharacter('\t');
    timerTick();
    timerTick();
    EXPECT_EQ(fake::midiMessages(),
              Lines({"bend 0xE0 116 67", "bend 0xE0 0 64", "bend 0xE3 104 71", "bend 0xE3 0 64"}));
}

TEST_F(PitchBendTest, WheelStepsOf400ClampAtTheTop) {
    startWheelDrag();
    for (int i = 1; i <= 22; ++i) EXPECT_EQ(onWheelDragMove(fake::WINDOW, WHEEL_Y - i), 1);
    const Lines sent = fake::midiMessages();
    ASSERT_EQ(sent.size(), 22u);
    EXPECT_EQ(sent[0], "bend 0xE0 16 67");    // 8592
    EXPECT_EQ(sent[19], "bend 0xE0 64 126");  // 8192 + 20 * 400 = 16192
    EXPECT_EQ(sent[20], "bend 0xE0 127 127"); // 16383
    EXPECT_EQ(sent[21], "bend 0xE0 127 127");
    EXPECT_EQ(g_model.bendValue, 16383);
}

TEST_F(PitchBendTest, WheelStepsOf400ClampAtTheBottom) {
    startWheelDrag();
    for (int i = 1; i <= 22; ++i) onWheelDragMove(fake::WINDOW, WHEEL_Y + i);
    const Lines sent = fake::midiMessages();
    ASSERT_EQ(sent.size(), 22u);
    EXPECT_EQ(sent[19], "bend 0xE0 64 1"); // 192
    EXPECT_EQ(sent[20], "bend 0xE0 0 0");
    EXPECT_EQ(sent[21], "bend 0xE0 0 0");
}

TEST_F(PitchBendTest, AWheelStepSetsTheHandRepaintsAndSends) {
    startWheelDrag();
    onWheelDragMove(fake::WINDOW, WHEEL_Y + 37);                  // one step however far
    EXPECT_EQ(fake::midiMessages(), Lines({"bend 0xE0 112 60"})); // 7792
    EXPECT_EQ(fake::calls({fake::Fn::SetCursor, fake::Fn::InvalidateRect}),
              Lines({"SetCursor HAND", LEFT_DISPLAY, RIGHT_DISPLAY, WHEEL}));
    EXPECT_EQ(g_drags.wheelLastY, WHEEL_Y + 37);
}

TEST_F(PitchBendTest, AMoveWithTheSameYDoesNothing) {
    startWheelDrag();
    EXPECT_EQ(onWheelDragMove(fake::WINDOW, WHEEL_Y), 0);
    EXPECT_EQ(onWheelDragMove(fake::WINDOW, WHEEL_Y), 0);
    EXPECT_TRUE(fake::calls().empty());
    EXPECT_EQ(g_model.bendValue, 8192);
}

TEST_F(PitchBendTest, AboveTheWindowUpwardStaysUpward) {
    startWheelDrag();
    g_drags.wheelLastY = 2;
    onWheelDragMove(fake::WINDOW, -1);
    EXPECT_EQ(g_model.bendValue, 8592);
    onWheelDragMove(fake::WINDOW, -6);
    EXPECT_EQ(g_model.bendValue, 8992);
    onWheelDragMove(fake::WINDOW, -2);
    EXPECT_EQ(g_model.bendValue, 8592);
}

TEST_F(PitchBendTest, ReleasingTheWheelSendsExactlyTheCentre) {
    g_model.sections[0].values[ParamId::CHANNEL] = 5;
    startWheelDrag();
    for (int i = 1; i <= 5; ++i) onWheelDragMove(fake::WINDOW, WHEEL_Y - i);
    fake::clearLog();
    endWheelDrag(fake::WINDOW);
    EXPECT_EQ(fake::calls(), Lines({"midiOutShortMsg midi1 bend 0xE5 0 64", WHEEL}));
    EXPECT_EQ(fake::call(0).args[1], 0x004000E5);
    EXPECT_EQ(g_drags.wheel, 0);

    fake::clearLog();
    endWheelDrag(fake::WINDOW);
    EXPECT_TRUE(fake::calls().empty()) << "no drag, nothing sent";
}

TEST_F(PitchBendTest, ReleasingTheWheelMidGestureLeavesTheRampRunning) {
    pageUp();
    timerTick(); // 8692
    startWheelDrag();
    endWheelDrag(fake::WINDOW);
    EXPECT_EQ(g_model.bendValue, 8192);
    EXPECT_EQ(g_model.bendTarget, 9692);
    fake::clearLog();
    EXPECT_EQ(ticksUntilTheTimerStops(10), Lines({"bend 0xE0 116 67", "bend 0xE0 104 71", CENTRE}));
}

} // namespace
