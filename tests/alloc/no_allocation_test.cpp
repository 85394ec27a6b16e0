// Playing allocates no memory: a long burst of keys, chords (strummed and
// latched, their one-shots firing), Shift, Tab, Page Up and Page Down, Home,
// the sustain pedal, the arrows, the keys lost and regained, timer ticks,
// knob and wheel drags, menu choices with banks, RESET, paints and a MIDI
// input's notes, pedal, bend, modulation and program changes, counted
// allocation by allocation. The fake records into fixed
// storage; its log is cleared between rounds so it never fills up. A take is
// recorded throughout, its timer making its next chunk ready between rounds
// and handing it to the writer, which saves it while the next rounds play.
#include "app/commands.h"
#include "base/window_messages.h"
#include "devices/popup_menus.h"
#include "display/panel.h"
#include "display/panel_layout.h"
#include "input/pitch_bend.h"
#include "model/key_map.h"
#include "model/performance.h"
#include "port/midi_in_port.h"
#include "port/take_recorder.h"
#include "tests/alloc/allocation_counter.h"
#include "tests/unit/key_messages.h"
#include "tests/unit/program_test.h"

#include <cstdlib>
#include <string>

namespace {

using NoAllocationTest = ProgramTest;

const int ROUNDS = 400;
const int WHEEL_X = 400;
const int WHEEL_Y = 180;

struct BurstTally {
    size_t messages;
    size_t midiMessages;
    size_t resets; // kept in the take as one event each
    size_t timerStarts;
    size_t strumMessages;
    bool logOverflowed;
};

void keepTally(BurstTally& tally) {
    tally.midiMessages += fake::count(fake::Fn::midiOutShortMsg);
    tally.resets += fake::count(fake::Fn::midiOutReset);
    tally.timerStarts += fake::count(fake::Fn::SetTimer);
    tally.logOverflowed = tally.logOverflowed || fake::overflowed();
    fake::clearLog();
}

// Presses, repeats and releases one key of each section; section 1 plays
// chords, with Ctrl, Caps Lock and Shift changing from round to round,
// strummed and latched.
void playKeys(int round, BurstTally& tally) {
    const int k = round % KEY_COUNT;
    holdControl(round % 3 == 0);
    setCapsLock(round % 5 == 0);
    if (round % 2 == 0) keyPress(scan::SHIFT, VK_SHIFT);
    if (round % 2 == 1) keyRelease(scan::SHIFT, VK_SHIFT);
    for (int s = 0; s < SECTION_COUNT; ++s) {
        const unsigned scanCode = splitKeyId(s, k);
        keyPress(scanCode);
        keyRepeat(scanCode);
        keyRepeat(scanCode);
        keyRelease(scanCode);
        tally.messages += 4;
    }
    while (fake::fireNextTimeEvent()) {
        fake::dispatchPosted(MESSAGE_STRUM_DUE);
        ++tally.strumMessages;
    }
}

void bendAndSwitch(int round, BurstTally& tally) {
    if (round % 2 == 0) {
        pageUp(fake::pressOf(scan::PAGE_UP));
        pageUp(fake::releaseOf(scan::PAGE_UP));
    } else {
        pageDown(fake::pressOf(scan::PAGE_DOWN));
        pageDown(fake::repeatOf(scan::PAGE_DOWN));
    }
    for (int i = 0; i < 3; ++i) timerTick();
    keyPress(scan::HOME, VK_HOME);
    for (int i = 0; i < 3; ++i) MainWndProc(fake::WINDOW, WM_TIMER, TIMER_MODULATION, 0);
    keyRelease(scan::HOME, VK_HOME);
    MainWndProc(fake::WINDOW, WM_TIMER, TIMER_MODULATION, 0);
    pressTab();
    tally.messages += 12;
}

// The pedal, the arrows, and the keys lost with a note and the pedal held.
void pedalArrowsAndFocus(int round, BurstTally& tally) {
    const unsigned keys[] = {scan::SPACE, scan::LEFT, scan::RIGHT, scan::UP, scan::DOWN};
    const WPARAM virtualKeys[] = {VK_SPACE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};
    for (int i = 0; i < 5; ++i) keyPress(keys[i], virtualKeys[i]);
    keyPress(splitKeyId(round % SECTION_COUNT, round % KEY_COUNT));
    loseKeys();
    regainKeys();
    tally.messages += 8;
}

// The wheel through the window procedure, as the mouse drives it, and its
// operations directly.
void dragTheWheel(int round, BurstTally& tally) {
    MainWndProc(fake::WINDOW, WM_LBUTTONDOWN, 1, fake::pointData(WHEEL_X, WHEEL_Y));
    MainWndProc(fake::WINDOW, WM_MOUSEMOVE, 1, fake::pointData(WHEEL_X, WHEEL_Y - 3));
    MainWndProc(fake::WINDOW, WM_LBUTTONUP, 0, fake::pointData(WHEEL_X, WHEEL_Y - 3));
    startWheelDrag(fake::WINDOW, WHEEL_Y);
    onWheelDragMove(fake::WINDOW, WHEEL_Y + (round % 2 == 0 ? -1 : 1));
    onWheelDragMove(fake::WINDOW, WHEEL_Y + (round % 2 == 0 ? -1 : 1));
    endWheelDrag(fake::WINDOW);
    tally.messages += 6;
}

POINT centreOf(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

void click(const RECT& rect) {
    const POINT point = centreOf(rect);
    MainWndProc(fake::WINDOW, WM_LBUTTONDOWN, 1, fake::pointData(point.x, point.y));
    MainWndProc(fake::WINDOW, WM_LBUTTONUP, 0, fake::pointData(point.x, point.y));
}

// The knob turned both ways, a menu choice as the system delivers it, the
// RESET button and a paint of the whole panel.
void useThePanel(int round, BurstTally& tally) {
    const POINT knob = centreOf(knobRect);
    MainWndProc(fake::WINDOW, WM_LBUTTONDOWN, 1, fake::pointData(knob.x, knob.y));
    for (int x = 1; x <= 3; ++x)
        MainWndProc(fake::WINDOW, WM_MOUSEMOVE, 1, fake::pointData(knob.x + x * (round % 2 ? 1 : -1), knob.y));
    MainWndProc(fake::WINDOW, WM_LBUTTONUP, 0, fake::pointData(knob.x, knob.y));
    fake::script.menuChoice = CMD_PATCH_ITEMS + (UINT)(round % 128);
    click(sectionButtonRect(round % SECTION_COUNT, ParamId::PATCH));
    fake::dispatchPosted(WM_COMMAND);
    if (round % 10 == 0) click(topButtonRects[TOP_BUTTON_RESET]);
    MainWndProc(fake::WINDOW, WM_PAINT, 0, 0);
    tally.messages += 10;
}

// The input's note, held under its pedal, bend and modulation, with a
// program change, a controller and channel pressure, then all let go.
void playInput(int round, BurstTally& tally) {
    const DWORD n = 36 + round % 24; // the left section's, which plays no chords
    const DWORD messages[] = {0x7F0090 | n << 8, 0x7F40B0, 0x7F30E0, 0x4001B0, 0xC0 | (DWORD)round % 128 << 8,
                              0x5007B0,          0x40D0,   0x80 | n << 8, 0x40B0, 0x4000E0, 0x01B0};
    for (const DWORD message : messages) MainWndProc(fake::WINDOW, MM_MIM_DATA, (WPARAM)g_input.handle, message);
    tally.messages += sizeof messages / sizeof messages[0];
}

TEST_F(NoAllocationTest, PlayingAllocatesNothing) {
    g_model.sections[1].values[ParamId::CHORD] = ChordType::SEVENTH;
    g_model.sections[1].strumMs = 15;
    g_model.sections[1].latch = true;
    g_model.channelBanks[0] = ChannelBank{true, 130};
    registerMainClass(fake::INSTANCE); // posted messages reach the window procedure
    createPanelSurfaces(fake::WINDOW);
    keyPress(0x43, VK_F9); // a take, recorded throughout
    fake::script.inputCount = 1;
    ASSERT_EQ(openInputNamed(fake::WINDOW, "Input 0"), MMSYSERR_NOERROR);
    fake::clearLog();
    BurstTally tally{};
    size_t allocations = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        startCountingAllocations();
        playKeys(round, tally);
        bendAndSwitch(round, tally);
        pedalArrowsAndFocus(round, tally);
        dragTheWheel(round, tally);
        useThePanel(round, tally);
        playInput(round, tally);
        keepTally(tally);
        allocations += stopCountingAllocations();
        fake::script.performanceCounter += 10000000; // a second a round: saves, written beside the rounds after
        fake::dispatchPosted(); // the recorder's next chunk made ready: not while playing
        MainWndProc(fake::WINDOW, WM_TIMER, TIMER_TAKES, 0);
    }
    settleTakes();

    EXPECT_EQ(allocations, 0u);
    EXPECT_GE(tally.messages, 16000u);
    EXPECT_GE(tally.midiMessages, (size_t)ROUNDS * 10) << "the burst really played";
    EXPECT_EQ(tally.timerStarts, (size_t)ROUNDS * 4); // the bend's two, Home's press and release
    EXPECT_EQ(tally.strumMessages, (size_t)ROUNDS * 3) << "each chord's three later notes";
    EXPECT_FALSE(tally.logOverflowed);
    EXPECT_EQ(g_recorder.events.count, tally.midiMessages + tally.resets) << "the take kept every message";
    EXPECT_GT(g_recorder.events.count, 2 * CHUNK_EVENTS) << "in several chunks";
    EXPECT_EQ(fake::filePaths().size(), 1u) << "the take saved meanwhile";
}

// The test above can only pass for the right reason if the counter sees
// allocations made in the counted region.
void* volatile keptBlock;

TEST(AllocationCounter, CountsEveryKindOfAllocation) {
    startCountingAllocations();
    int* number = new int(7);
    keptBlock = number;
    delete number;
    keptBlock = std::malloc(16);
    std::free(keptBlock);
    const std::string text(100, 'x');
    keptBlock = (void*)text.data();
    EXPECT_EQ(stopCountingAllocations(), 3u);

    startCountingAllocations();
    EXPECT_EQ(stopCountingAllocations(), 0u) << "nothing carried over";
}

} // namespace
