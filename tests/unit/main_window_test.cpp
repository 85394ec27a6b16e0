// The application shell: start-up order and its failures, shut-down, the
// message loop and the dispatch of window messages.
#include "app/main_window.h"
#include "base/program.h"
#include "base/timers.h"
#include "devices/midi_device.h"
#include "display/knob_indicator.h"
#include "display/panel.h"
#include "model/keys.h"
#include "model/parameters.h"
#include "model/performance.h"
#include "port/midi_out_port.h"
#include "tests/unit/program_test.h"
#include "tests/unit/temp_directory.h"

#include <algorithm>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        resetProgramState();
        directory.write("gm_ins.nms", patchFile(3));
    }

    // Registers the class and creates the window as WinMain does.
    int start() {
        EXPECT_NE(registerMainClass(fake::INSTANCE), 0);
        return createMainWindow(fake::INSTANCE, SW_SHOWDEFAULT);
    }

    // The log without the menu items, which have tests of their own.
    static Lines callsWithoutMenuItems() {
        Lines lines;
        for (const std::string& line : fake::calls()) {
            if (line.rfind("InsertMenuItemA", 0) != 0) lines.push_back(line);
        }
        return lines;
    }

    TempDirectory directory;
};

const char* const OPEN_DEVICE_0 = "midiOutOpen device 0 callback null instance 0 flags 0x0 -> midi1";
const char* const OPEN_FAILED = "midiOutOpen device 0 callback null instance 0 flags 0x0 -> failed";
const char* const NAME_OF_DEVICE_0 = "midiOutGetDevCapsA 0 size 52"; // kept, to find the device again

TEST_F(MainWindowTest, StartUpOpensTheDeviceSendsThePatchesAndShowsThePanel) {
    EXPECT_EQ(start(), 1);
    EXPECT_EQ(fake::calls({fake::Fn::CreateWindowExA}),
              Lines({"CreateWindowExA ex 0x0 \"Tonvale 1.0 (beta)\" \"Tonvale 1.0 (beta)\" style 0x80000000 at 415,746 "
                     "size 800x250 parent null menu null instance"}));
    // Reset before the programs, and all of it before the panel shows.
    EXPECT_EQ(
        fake::calls({fake::Fn::midiOutOpen, fake::Fn::midiOutReset, fake::Fn::midiOutShortMsg, fake::Fn::ShowWindow,
                     fake::Fn::MessageBoxA}),
        Lines({OPEN_DEVICE_0, "midiOutReset midi1", "midiOutShortMsg midi1 program 0xC0 0", "ShowWindow window 10"}))
        << "both sections on channel 1: one program, and nothing to tell";
    EXPECT_EQ(fake::count(fake::Fn::CreatePopupMenu), 3u);
    EXPECT_EQ(fake::calls({fake::Fn::LoadBitmapA, fake::Fn::LoadCursorA}).back(), "LoadCursorA instance HAND");
    EXPECT_EQ(knobIndicatorPosition().x, 377);
    EXPECT_EQ(knobIndicatorPosition().y, 66);
}

TEST_F(MainWindowTest, ThePanelStaysWhereItIsUnlessThatIsOffTheScreen) {
    const struct {
        RECT workArea;
        const char* at;
    } cases[] = {
        {{0, 0, 1280, 1024}, "at 415,746"},     // it fits
        {{0, 0, 1366, 768}, "at 415,518"},      // moved up just enough
        {{0, 0, 1024, 600}, "at 224,350"},      // up and left
        {{100, 30, 700, 200}, "at 100,30"},     // too small: its top-left shows
        {{1280, 0, 2560, 1024}, "at 1280,746"}, // a screen to the right
        {{0, 0, 0, 0}, "at 415,746"},           // no screen known
    };
    for (const auto& c : cases) {
        SetUp();
        fake::script.workArea = c.workArea;
        start();
        const Lines created = fake::calls({fake::Fn::CreateWindowExA});
        ASSERT_EQ(created.size(), 1u);
        EXPECT_NE(created[0].find(std::string(c.at) + " size 800x250"), std::string::npos) << created[0];
    }
}

TEST_F(MainWindowTest, WinMainRunsTheLoopAndExitsWithZero) {
    EXPECT_EQ(WinMain(fake::INSTANCE, nullptr, nullptr, SW_SHOWDEFAULT), 0);
    EXPECT_EQ(fake::count(fake::Fn::ShowWindow), 1u);
}

TEST_F(MainWindowTest, WinMainWithAPreviousInstanceDoesNotRegisterAgain) {
    fake::script.deviceCount = 0; // end at once; only the class matters here
    EXPECT_EQ(WinMain(fake::INSTANCE, fake::INSTANCE, nullptr, SW_SHOWDEFAULT), 0);
    EXPECT_EQ(fake::count(fake::Fn::RegisterClassExA), 0u);
}

TEST_F(MainWindowTest, AFailedRegistrationEndsWithZero) {
    fake::script.registerClassFails = true;
    EXPECT_EQ(WinMain(fake::INSTANCE, nullptr, nullptr, SW_SHOWDEFAULT), 0);
    EXPECT_EQ(fake::count(fake::Fn::CreateWindowExA), 0u);
}

struct StartUpFailure {
    const char* what;
    void (*arrange)(const TempDirectory&);
    Lines expected; // from the device count on
};

const StartUpFailure START_UP_FAILURES[] = {
    {"no devices",
     [](const TempDirectory&) { fake::script.deviceCount = 0; },
     {"midiOutGetNumDevs", "MessageBoxA window \"There are no MIDI output devices installed\" caption null 0x0",
      "PostQuitMessage 0"}},
    {"open fails",
     [](const TempDirectory&) { fake::script.openResult = MMSYSERR_ALLOCATED; },
     {"midiOutGetNumDevs", NAME_OF_DEVICE_0, OPEN_FAILED, "MessageBoxA window \"Can't open MIDI output device\" caption null 0x0",
      "PostQuitMessage 0"}},
    {"reset fails",
     [](const TempDirectory&) { fake::script.resetResults[0] = MMSYSERR_NODRIVER, fake::script.resetResultCount = 1; },
     {"midiOutGetNumDevs", NAME_OF_DEVICE_0, OPEN_DEVICE_0, "midiOutReset midi1", "midiOutGetErrorTextA 6 size 1000",
      "MessageBoxA window \"MIDI error 6\" caption null 0x0", "midiOutReset midi1", "midiOutClose midi1",
      "PostQuitMessage 0"}},
    {"no patch names",
     [](const TempDirectory& directory) { directory.remove("gm_ins.nms"); },
     {"midiOutGetNumDevs", NAME_OF_DEVICE_0, OPEN_DEVICE_0, "midiOutReset midi1",
      "midiOutShortMsg midi1 program 0xC0 0",
      "MessageBoxA window \"Cannot load patch names.\" caption null 0x0", "midiOutReset midi1", "midiOutClose midi1",
      "PostQuitMessage 0"}},
};

TEST_F(MainWindowTest, EachStartUpFailureShowsWhyAndReleasesWhatWasMade) {
    for (const StartUpFailure& failure : START_UP_FAILURES) {
        SCOPED_TRACE(failure.what);
        SetUp();
        failure.arrange(directory);
        EXPECT_EQ(start(), 0);
        // What follows the class, the window and its focus.
        Lines calls = fake::calls();
        const auto focus = std::find(calls.begin(), calls.end(), "SetFocus window");
        ASSERT_NE(focus, calls.end());
        EXPECT_EQ(Lines(focus + 1, calls.end()), failure.expected) << "no window is shown";
        EXPECT_EQ(WinMain(fake::INSTANCE, nullptr, nullptr, SW_SHOWDEFAULT), 0) << "exit code";
    }
}

TEST_F(MainWindowTest, AFailedStartUpReleasesTheDeviceWithoutWmDestroyToo) {
    fake::script.failedCreateSendsDestroy = false;
    directory.remove("gm_ins.nms");
    EXPECT_EQ(start(), 0);
    EXPECT_EQ(fake::calls({fake::Fn::midiOutReset, fake::Fn::midiOutClose}),
              Lines({"midiOutReset midi1", "midiOutReset midi1", "midiOutClose midi1"}))
        << "reset after opening, then once more and closed at the end";

    SetUp(); // where WM_DESTROY does come, the device is let go only once
    directory.remove("gm_ins.nms");
    EXPECT_EQ(start(), 0);
    EXPECT_EQ(fake::count(fake::Fn::midiOutClose), 1u);
}

TEST_F(MainWindowTest, TheCreateMessageFailsWithMinusOne) {
    fake::script.deviceCount = 0;
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_CREATE, 0, 0), -1);
    SetUp();
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_CREATE, 0, 0), 0);
}

TEST_F(MainWindowTest, ShutDownSilencesTheDeviceAndReleasesEverythingOnce) {
    ASSERT_EQ(start(), 1);
    fake::clearLog();
    DestroyWindow(fake::WINDOW);
    EXPECT_EQ(fake::calls({fake::Fn::midiOutReset, fake::Fn::midiOutClose, fake::Fn::PostQuitMessage}),
              Lines({"midiOutReset midi1", "midiOutClose midi1", "PostQuitMessage 0"}));
    EXPECT_EQ(fake::count(fake::Fn::DestroyMenu), 3u);
    // Both DCs first, so that no bitmap is still selected into one when deleted.
    EXPECT_EQ(fake::calls({fake::Fn::DeleteDC, fake::Fn::DeleteObject}),
              Lines({"DeleteDC dc1", "DeleteDC dc2", "DeleteObject bitmap1", "DeleteObject MAINBMP"}));

    fake::clearLog();
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_QUIT, 0, 0), 0); // a quit message sent to the window
    EXPECT_EQ(fake::calls(), Lines({"PostQuitMessage 0"})) << "nothing is released twice";
}

TEST_F(MainWindowTest, PaintDrawsThroughBeginAndEndPaint) {
    ASSERT_EQ(start(), 1);
    fake::clearLog();
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_PAINT, 0, 0), 0);
    const Lines calls = fake::calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front(), "BeginPaint window");
    EXPECT_EQ(calls.back(), "EndPaint window");
    EXPECT_EQ(fake::calls({fake::Fn::BitBlt}).back(), "BitBlt paintDC 0,0 800x250 from dc2 0,0");
}

TEST_F(MainWindowTest, MessagesOutsideTheTableGetDefaultHandling) {
    ASSERT_EQ(start(), 1);
    fake::clearLog();
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_RBUTTONDOWN, 1, 0x00100020), 0);
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_SYSKEYDOWN, VK_F4, fake::pressOf(0x3E)), 0);
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_SETCURSOR, 0, 0), 0);
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_TIMER, 77, 0), 0); // not a timer of ours
    EXPECT_EQ(fake::calls(), Lines({
                                 "DefWindowProcA window 0x0204 1 1048608",
                                 "DefWindowProcA window 0x0104 115 4063233",
                                 "DefWindowProcA window 0x0010 0 0",
                                 "DefWindowProcA window 0x0020 0 0",
                                 "DefWindowProcA window 0x0113 77 0",
                             }));
    EXPECT_TRUE(fake::midiMessages().empty()) << "Alt with a key that plays nothing";
}

TEST_F(MainWindowTest, HandledMessagesNeverReachDefaultHandling) {
    ASSERT_EQ(start(), 1);
    fake::clearLog();
    const UINT handled[] = {WM_PAINT, WM_KEYDOWN, WM_KEYUP, WM_COMMAND, WM_MOUSEMOVE, WM_LBUTTONUP};
    for (UINT message : handled) EXPECT_EQ(MainWndProc(fake::WINDOW, message, 0, 0), 0) << message;
    for (WPARAM timer : {TIMER_BEND_RAMP, TIMER_SETTINGS_SAVE}) MainWndProc(fake::WINDOW, WM_TIMER, timer, 0);
    EXPECT_EQ(fake::count(fake::Fn::DefWindowProcA), 0u);
}

} // namespace
