// The mouse on the panel: hit-testing of a press, the menus it opens, the
// early ends, the knob and wheel drags, the hand cursor and moving the
// window.
#include "app/commands.h"
#include "app/main_window.h"
#include "base/program.h"
#include "devices/popup_menus.h"
#include "display/panel.h"
#include "display/panel_layout.h"
#include "input/mouse_input.h"
#include "input/pitch_bend.h"
#include "model/keys.h"
#include "model/parameters.h"
#include "model/performance.h"
#include "tests/unit/program_test.h"

#include <string>
#include <vector>

namespace {

using fake::Fn;

// The window procedure is registered, so commands and the window-move
// request reach MainWndProc as the system would deliver them.
class MouseTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        g_program.instance = fake::INSTANCE;
        registerMainClass(fake::INSTANCE);
        fake::clearLog();
    }

    static Lines press(int x, int y) {
        fake::clearLog();
        onLeftButtonDown(fake::WINDOW, fake::pointData(x, y));
        return fake::calls();
    }

    static Lines move(int x, int y) {
        fake::clearLog();
        onMouseMove(fake::WINDOW, fake::pointData(x, y));
        return fake::calls();
    }

    // The request that lets the system drag the borderless window, with the
    // press's own lParam, and its default handling.
    static Lines windowMove(int x, int y) {
        const std::string args = "0x00a1 2 " + std::to_string((long long)fake::pointData(x, y));
        return {"SendMessageA window " + args, "DefWindowProcA window " + args};
    }
};

const char* const REPAINT_ALL = "InvalidateRect window all FALSE";

Lines plus(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Parameter buttons -------------------------------------------------------

TEST_F(MouseTest, VolumeButtonSelectsRepaintsAndOpensNoMenu) {
    EXPECT_EQ(press(169, 82), Lines({REPAINT_ALL, REPAINT_ALL}));
    EXPECT_EQ(g_model.sections[0].selectedParam, ParamId::VOLUME);
    EXPECT_EQ(g_model.activeSection, 0);
    EXPECT_TRUE(fake::midiMessages().empty());
}

TEST_F(MouseTest, EveryParameterButtonSelectsItsParameterAndSendsItsCommand) {
    g_menus.PatchMenu = CreatePopupMenu();
    g_menus.ChannelMenu = CreatePopupMenu();
    g_menus.OctaveMenu = CreatePopupMenu();
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        for (int32_t id = 0; id <= ParamId::TRANSPOSE; ++id) { // CHORD turns chord mode on and off
            SCOPED_TRACE(testing::Message() << "section " << s << " param " << id);
            selectParam(s == 0 ? 1 : 0, ParamId::PATCH);
            const RECT& button = sectionButtonRect(s, id);
            press(button.left + 10, button.top + 3);
            EXPECT_EQ(g_model.activeSection, s);
            EXPECT_EQ(g_model.sections[s].selectedParam, id);
            EXPECT_EQ(fake::calls({Fn::InvalidateRect, Fn::SendMessageA}), Lines({REPAINT_ALL, REPAINT_ALL}));
            EXPECT_EQ(fake::count(Fn::TrackPopupMenuEx), id <= ParamId::OCTAVE ? 1u : 0u);
        }
    }
}

TEST_F(MouseTest, MenuChoiceArrivesAfterThePressAndSetsTheSelectedParameter) {
    g_menus.PatchMenu = CreatePopupMenu();
    g_menus.ChannelMenu = CreatePopupMenu();
    g_menus.OctaveMenu = CreatePopupMenu();
    fake::script.menuChoice = CMD_CHANNEL_ITEMS + 9; // "Channel 10"
    // The menu loop takes the keys: nothing is held, so only the timers are
    // stopped; Ctrl, Caps Lock and Shift are read anew when it gives them back.
    EXPECT_EQ(press(544, 85), Lines({
                                  REPAINT_ALL,
                                  "TrackPopupMenuEx menu2 0x40 at 959,828 owner window null",
                                  "KillTimer window id 1",
                                  "KillTimer window id 4",
                                  "GetKeyState 0xA2",
                                  "GetKeyState 0xA3",
                                  "GetKeyState 0x14",
                                  "GetKeyState 0xA0",
                                  "GetKeyState 0xA1",
                                  REPAINT_ALL,
                              }));
    EXPECT_EQ(paramValue(g_model.sections[1], ParamId::CHANNEL), 0) << "nothing changes until the choice is delivered";

    fake::clearLog();
    fake::dispatchPosted();
    EXPECT_EQ(paramValue(g_model.sections[1], ParamId::CHANNEL), 9);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::CHANNEL), 0);
    EXPECT_EQ(fake::midiMessages(), Lines({"program 0xC9 0"}));
}

// What the menu's modal loop does while it is up: the window's paints and
// bend ticks are handled in the middle of the press.
void paintAndTick(HWND window) {
    MainWndProc(window, WM_PAINT, 0, 0);
    MainWndProc(window, WM_TIMER, TIMER_BEND_RAMP, 0);
}

TEST_F(MouseTest, PaintsAndTicksInsideTheMenuLoopSeeTheNewSelection) {
    fake::script.menuLoop = paintAndTick;
    createPanelSurfaces(fake::WINDOW);
    g_menus.PatchMenu = CreatePopupMenu();
    g_menus.ChannelMenu = CreatePopupMenu();
    g_menus.OctaveMenu = CreatePopupMenu();
    fake::script.menuChoice = CMD_CHANNEL_ITEMS + 3;
    const Lines calls = press(544, 85);
    EXPECT_EQ(fake::calls({Fn::SendMessageA, Fn::BeginPaint, Fn::EndPaint, Fn::TrackPopupMenuEx}),
              Lines({
                  "TrackPopupMenuEx menu2 0x40 at 959,828 owner window null",
                  "BeginPaint window",
                  "EndPaint window",
              }));
    const Lines texts = fake::calls({Fn::TextOutA});
    ASSERT_EQ(texts.size(), 8u + 2 * KEY_COUNT) << "the displays, and the labels above the keys";
    EXPECT_EQ(texts[7], "TextOutA dc2 550,64 \"---<>---\" 8") << "the marker under section 1's CHAN.";
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), REPAINT_ALL);

    fake::dispatchPosted();
    EXPECT_EQ(paramValue(g_model.sections[1], ParamId::CHANNEL), 3);
    EXPECT_EQ(g_model.activeSection, 1);
}

// Every control by its corners: the right and bottom edges lie outside; a
// button is 6 pixels tall, the bar drawn below it and the gaps beside it
// are no control.
TEST_F(MouseTest, HitTestFindsTheControlUnderThePoint) {
    const Control B = Control::SECTION_BUTTON;
    struct Case {
        int x;
        int y;
        Control control;
        int32_t section;
        int32_t param;
    };
    const Case cases[] = {
        {31, 82, B, 0, ParamId::PATCH},  {303, 87, B, 0, ParamId::CHORD},  {308, 34, B, 0, ParamId::PLUS},
        {331, 76, B, 0, ParamId::MINUS}, {498, 82, B, 1, ParamId::PATCH},  {770, 87, B, 1, ParamId::CHORD},
        {493, 53, B, 1, ParamId::PLUS},  {470, 57, B, 1, ParamId::MINUS},  {636, 22, Control::RESET, 0, 0},
        {724, 27, Control::SETUP, 0, 0}, {770, 27, Control::OFF, 0, 0},    {354, 6, Control::KNOB, 0, 0},
        {445, 101, Control::KNOB, 0, 0}, {390, 127, Control::WHEEL, 0, 0}, {410, 241, Control::WHEEL, 0, 0},
        {446, 50, Control::NONE, 0, 0},  {411, 200, Control::NONE, 0, 0},  {100, 50, Control::NONE, 0, 0},
        {100, 200, Control::NONE, 0, 0}, {-1, -1, Control::NONE, 0, 0},    {800, 250, Control::NONE, 0, 0},
        {31, 88, Control::NONE, 0, 0},   {76, 85, Control::NONE, 0, 0}, // the drawn bar below, the gap beside
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        const Hit hit = hitTest(POINT{c.x, c.y});
        EXPECT_EQ(hit.control, c.control);
        if (c.control != B) continue;
        EXPECT_EQ(hit.section, c.section);
        EXPECT_EQ(hit.param, c.param);
    }
}

TEST_F(MouseTest, PressesOnNoControlMoveTheWindow) {
    const POINT points[] = {{100, 50}, {100, 200}, {700, 240}, {0, 0}, {50, 95}, {400, 110}, {799, 249}};
    for (const POINT& p : points) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        EXPECT_EQ(press(p.x, p.y), windowMove(p.x, p.y));
    }
}

// CHORD, + and - ----------------------------------------------------------

TEST_F(MouseTest, ChordTogglesItsSectionOnlyAndTheWindowStillFollows) {
    EXPECT_EQ(press(728, 82), plus({"InvalidateRect window 499,34,769,76 FALSE"}, windowMove(728, 82)));
    EXPECT_EQ(paramValue(g_model.sections[1], ParamId::CHORD), 1);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::CHORD), 0);
    EXPECT_EQ(g_model.activeSection, 0);
    press(261, 87);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::CHORD), 1);
    press(728, 82);
    EXPECT_EQ(paramValue(g_model.sections[1], ParamId::CHORD), 0);
}

TEST_F(MouseTest, PlusOfTheInactiveSectionActivatesAndStepsIt) {
    selectParam(1, ParamId::OCTAVE);
    selectParam(0, ParamId::PATCH);
    fake::clearLog();
    EXPECT_EQ(press(470, 34), plus({REPAINT_ALL}, windowMove(470, 34)));
    EXPECT_EQ(g_model.activeSection, 1);
    EXPECT_EQ(paramValue(g_model.sections[1], ParamId::OCTAVE), 6);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::PATCH), 0);
}

TEST_F(MouseTest, MinusStepsDownAndRepaintsThenTheWindowFollows) {
    g_model.ChannelPatchTable[0] = 3;
    EXPECT_EQ(press(331, 76), plus({"midiOutShortMsg midi1 program 0xC0 2", REPAINT_ALL}, windowMove(331, 76)));
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::PATCH), 2);
}

// RESET, SETUP and OFF ----------------------------------------------------

TEST_F(MouseTest, ResetThatWorksIsFollowedByTheWindowMove) {
    g_model.sections[1].keyDown[4] = 1;
    EXPECT_EQ(press(636, 22), plus({REPAINT_ALL, "midiOutReset midi1"}, windowMove(636, 22)));
    EXPECT_EQ(g_model.sections[1].keyDown[4], 0);
}

TEST_F(MouseTest, ResetThatFailsEndsThePressWithTheWindow) {
    fake::script.resetResult = MMSYSERR_ERROR;
    const Lines calls = press(678, 27);
    EXPECT_EQ(fake::count(Fn::DestroyWindow), 1u);
    EXPECT_EQ(fake::count(Fn::SendMessageA), 0u) << "nothing may be sent to a destroyed window";
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "PostQuitMessage 0");
}

// The dialog takes the button's release, so a window move after it would
// have the window follow the pointer with no button held.
TEST_F(MouseTest, SetupEndsThePressWhateverTheDialogEndsIn) {
    const struct {
        INT_PTR button;
        MMRESULT open;
        const char* last;
    } cases[] = {
        {IDCANCEL, MMSYSERR_NOERROR, "GetKeyState 0xA1"}, // the keys back from the dialog, and no more
        {IDOK, MMSYSERR_NOERROR, "midiOutShortMsg midi2 program 0xC0 0"},
        {IDOK, MMSYSERR_ALLOCATED, "MessageBoxA window \"Can't open MIDI output device\" caption null 0x0"},
    };
    for (const auto& c : cases) {
        SetUp();
        fake::script.dialogButton = c.button;
        fake::script.openResult = c.open;
        const Lines calls = press(700, 25);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back(), c.last);
        EXPECT_EQ(fake::count(Fn::SendMessageA), 0u);
    }
}

TEST_F(MouseTest, OffDestroysTheWindowAndThePressDoesNoMore) {
    const Lines calls = press(728, 22);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "DestroyWindow window");
    EXPECT_EQ(calls.back(), "PostQuitMessage 0");
    EXPECT_EQ(fake::count(Fn::SendMessageA), 0u);
    EXPECT_EQ(fake::count(Fn::SetCapture), 0u);
}

// The knob ----------------------------------------------------------------

const Lines KNOB_STEP_REPAINT = {
    "InvalidateRect window 354,6,446,102 FALSE",
    "InvalidateRect window 32,34,302,76 FALSE",
    "InvalidateRect window 499,34,769,76 FALSE",
};

TEST_F(MouseTest, KnobDragStepsOncePerHorizontalMoveUntilTheRelease) {
    EXPECT_EQ(press(400, 50), Lines({"SetCapture window"}));
    EXPECT_EQ(move(401, 50), plus({"SetCursor HAND", "midiOutShortMsg midi1 program 0xC0 1"},
                                  plus(KNOB_STEP_REPAINT, {"SetCursor HAND"})));

    EXPECT_EQ(move(401, 90), Lines()) << "vertical alone: no step, and no hover cursor over the knob";

    EXPECT_EQ(move(451, 90), plus({"SetCursor HAND", "midiOutShortMsg midi1 program 0xC0 2"}, KNOB_STEP_REPAINT))
        << "50 pixels right is still one step";
    EXPECT_EQ(move(450, 10), plus({"SetCursor HAND", "midiOutShortMsg midi1 program 0xC0 1"}, KNOB_STEP_REPAINT));
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::PATCH), 1);
    fake::clearLog();
    onLeftButtonUp(fake::WINDOW);
    EXPECT_EQ(fake::calls(), Lines({"ReleaseCapture"}));
    EXPECT_EQ(move(300, 200), Lines()) << "no step after the release";
}

// With the mouse captured the pointer can leave the window to the left:
// that is further left, so the knob keeps turning down.
TEST_F(MouseTest, KnobDragBeyondTheLeftEdgeKeepsTurningDown) {
    selectParam(0, ParamId::VOLUME);
    g_model.sections[0].values[ParamId::VOLUME] = 64;
    press(360, 50);
    move(2, 50);
    move(-3, 50);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::VOLUME), 62);
    move(-10, 300);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::VOLUME), 61);
    move(0, 50);
    EXPECT_EQ(paramValue(g_model.sections[0], ParamId::VOLUME), 62);
}

// The hover cursor --------------------------------------------------------

TEST_F(MouseTest, HandOverEveryControlAndNothingElsewhere) {
    std::vector<RECT> controls;
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        for (int32_t id = 0; id < PARAM_COUNT; ++id) controls.push_back(sectionButtonRect(s, id));
    }
    for (int i = 0; i < TOP_BUTTON_COUNT; ++i) controls.push_back(topButtonRects[i]);
    controls.push_back(knobRect);
    controls.push_back(wheelRect);
    ASSERT_EQ(controls.size(), 21u);
    for (const RECT& r : controls) {
        SCOPED_TRACE(testing::Message() << r.left << "," << r.top);
        EXPECT_EQ(move(r.left, r.top), Lines({"SetCursor HAND"}));
        EXPECT_EQ(move(r.right - 1, r.bottom - 1), Lines({"SetCursor HAND"}));
        EXPECT_EQ(move(r.right, r.top), Lines());
        EXPECT_EQ(move(r.left, r.bottom), Lines());
    }
    const POINT elsewhere[] = {{100, 50}, {600, 50}, {100, 200}, {600, 200}, {0, 0}, {75, 85}, {-5, -5}};
    for (const POINT& p : elsewhere) EXPECT_EQ(move(p.x, p.y), Lines()) << p.x << "," << p.y;
}

} // namespace
