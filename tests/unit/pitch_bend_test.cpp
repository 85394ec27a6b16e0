// The bend gesture of Page Up and Page Down with its spring-back, and the
// wheel drag.
#include "display/panel.h"
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

// A gesture is a ramp of 500 a tick toward its target, then the centre once.
TEST_F(PitchBendTest, EachGestureRampsTowardItsTargetAndSpringsBackOnce) {
    const struct {
        const char* what;
        void (*nudge)();
        size_t count;     // messages sent, the centre last
        const char* last; // the message before the centre
    } cases[] = {
        {"Page Up", [] { pageUp(); }, 3, "bend 0xE0 104 71"},     // 8692, 9192
        {"Page Down", [] { pageDown(); }, 3, "bend 0xE0 24 56"},  // 7692, 7192
        {"both before a tick", [] { pageUp(), pageDown(); }, 1, nullptr},
        {"beyond the top, clamped at the tick", [] { for (int i = 0; i < 6; ++i) pageUp(fake::repeatOf(scan::PAGE_UP)); },
         17, "bend 0xE0 64 126"}, // 16192
        {"below zero", [] { g_model.bendTarget = -5000; }, 17, "bend 0xE0 64 1"}, // 192
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.nudge();
        if (!fake::timerRunning(TIMER_BEND_RAMP)) SetTimer(fake::WINDOW, TIMER_BEND_RAMP, 1, nullptr);
        const Lines sent = ticksUntilTheTimerStops(100);
        ASSERT_EQ(sent.size(), c.count);
        EXPECT_EQ(sent.back(), CENTRE);
        if (c.last) {
            EXPECT_EQ(sent[c.count - 2], c.last);
        }
        EXPECT_FALSE(fake::timerRunning(TIMER_BEND_RAMP));
        EXPECT_EQ(fake::calls({fake::Fn::InvalidateRect}), Lines(c.count, WHEEL));
    }
    pageUp(); // the next gesture runs from the centre
    fake::clearLog();
    EXPECT_EQ(ticksUntilTheTimerStops(10), Lines({"bend 0xE0 116 67", "bend 0xE0 104 71", CENTRE}));
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
    pressTab();
    timerTick();
    timerTick();
    EXPECT_EQ(fake::midiMessages(),
              Lines({"bend 0xE0 116 67", "bend 0xE0 0 64", "bend 0xE3 104 71", "bend 0xE3 0 64"}));
}

// Through the window procedure, as the mouse drives it: one step of 400 a
// move however far, clamped at the ends, sideways nothing, above the window
// still upward, and the centre on release.
TEST_F(PitchBendTest, AWheelDragStepsOncePerVerticalMoveAndSpringsBackOnRelease) {
    g_model.sections[0].values[ParamId::CHANNEL] = 5;
    const auto mouse = [](UINT message, int y) { MainWndProc(fake::WINDOW, message, 1, fake::pointData(400, y)); };
    mouse(WM_LBUTTONDOWN, WHEEL_Y);
    mouse(WM_MOUSEMOVE, WHEEL_Y + 37);
    EXPECT_EQ(fake::calls(), Lines({"SetCapture window", "SetCursor HAND", "midiOutShortMsg midi1 bend 0xE5 112 60",
                                    LEFT_DISPLAY, RIGHT_DISPLAY, WHEEL, "SetCursor HAND"})); // 7792
    fake::clearLog();
    mouse(WM_MOUSEMOVE, WHEEL_Y + 37);
    EXPECT_TRUE(fake::calls().empty()) << "sideways: nothing, not even the hand";
    for (int y = 2; y > -40; --y) mouse(WM_MOUSEMOVE, y);
    const Lines up = fake::midiMessages();
    EXPECT_EQ(up[20], "bend 0xE5 64 126"); // 8192 + 20 * 400; then clamped, above the window too
    EXPECT_EQ(up.back(), "bend 0xE5 127 127");
    fake::clearLog();
    mouse(WM_LBUTTONUP, -40);
    EXPECT_EQ(fake::calls(), Lines({"ReleaseCapture", "midiOutShortMsg midi1 bend 0xE5 0 64", WHEEL}));
    fake::clearLog();
    mouse(WM_LBUTTONUP, 0);
    EXPECT_EQ(fake::calls(), Lines({"ReleaseCapture"})) << "no drag, nothing sent";
    for (int y = WHEEL_Y; y < WHEEL_Y + 30; ++y) onWheelDragMove(fake::WINDOW, y);
    EXPECT_EQ(fake::midiMessages().back(), "bend 0xE5 0 0") << "clamped at the bottom";
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
