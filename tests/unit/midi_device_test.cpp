// RESET, the setup dialog and reopening the device.
#include "app/main_window.h"
#include "base/program.h"
#include "devices/midi_device.h"
#include "display/paint_panel.h"
#include "model/keys.h"
#include "model/midi_messages.h"
#include "model/parameters.h"
#include "model/performance.h"
#include "port/midi_out_port.h"
#include "tests/unit/key_messages.h"
#include "tests/unit/program_test.h"

namespace {

class MidiDeviceTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        registerMainClass(fake::INSTANCE); // so DestroyWindow reaches the window procedure
        g_program.instance = fake::INSTANCE;
        g_port.deviceCount = 3;
        fake::script.deviceCount = 3;
        fake::script.deviceNames[0] = "Zeta Synth";
        fake::script.deviceNames[1] = "Alpha Port";
        fake::script.deviceNames[2] = "Mid Bridge";
        fake::clearLog();
    }
};

TEST_F(MidiDeviceTest, ResetLetsGoOfEveryKeyAndRepaintsAll) {
    g_model.sections[0].keyDown[0] = 1;
    g_model.sections[1].keyDown[16] = 1;
    g_model.ChannelPatchTable[0] = 5;
    EXPECT_EQ(resetAll(fake::WINDOW), 1);
    for (const KeyboardSection& section : g_model.sections) {
        for (uint8_t down : section.keyDown) EXPECT_EQ(down, 0);
    }
    EXPECT_EQ(paramValue(g_model.sections[1], ParamId::PATCH), 5) << "parameters stay";
    EXPECT_EQ(fake::calls(), Lines({"InvalidateRect window all FALSE", "midiOutReset midi1"}));
}

TEST_F(MidiDeviceTest, AFailedResetShowsItsTextAndEndsTheProgram) {
    fake::script.resetResult = MMSYSERR_NODRIVER;
    EXPECT_EQ(resetAll(fake::WINDOW), 0);
    EXPECT_EQ(fake::calls({fake::Fn::InvalidateRect, fake::Fn::midiOutReset, fake::Fn::midiOutGetErrorTextA,
                           fake::Fn::MessageBoxA, fake::Fn::DestroyWindow, fake::Fn::midiOutClose}),
              Lines({
                  "InvalidateRect window all FALSE",
                  "midiOutReset midi1",
                  "midiOutGetErrorTextA 6 size 1000",
                  "MessageBoxA window \"MIDI error 6\" caption null 0x0",
                  "DestroyWindow window",
                  "midiOutReset midi1", // shut-down
                  "midiOutClose midi1",
              }));
}

TEST_F(MidiDeviceTest, TheDialogListsTheDevicesThereNowInIndexOrderAndOpensOnTheCurrentOne) {
    g_port.deviceIndex = 2;
    g_port.deviceCount = 2; // counted before the third came
    fake::script.dialogButton = IDCANCEL;
    EXPECT_EQ(runDeviceSetup(fake::WINDOW), 1);
    EXPECT_EQ(fake::calls({fake::Fn::SendDlgItemMessageA}),
              Lines({
                  "SendDlgItemMessageA dialog 101 LB_INSERTSTRING -1 \"Zeta Synth\"",
                  "SendDlgItemMessageA dialog 101 LB_INSERTSTRING -1 \"Alpha Port\"",
                  "SendDlgItemMessageA dialog 101 LB_INSERTSTRING -1 \"Mid Bridge\"",
                  "SendDlgItemMessageA dialog 101 LB_SETCURSEL 2 0",
                  "SendDlgItemMessageA dialog 102 0x00f1 1 0", // Split checked
                  "SendDlgItemMessageA dialog 105 LB_INSERTSTRING -1 \"(none)\"",
                  "SendDlgItemMessageA dialog 105 LB_SETCURSEL 0 0", // no input
              }));
    EXPECT_EQ(g_port.deviceIndex, 2u);
}

TEST_F(MidiDeviceTest, ADeviceThatCannotBeQueriedStillHoldsItsPlace) {
    fake::script.deviceCount = fake::MAX_DEVICES + 1; // the fake names only MAX_DEVICES
    fake::script.dialogButton = IDCANCEL;
    runDeviceSetup(fake::WINDOW);
    EXPECT_EQ(fake::calls({fake::Fn::SendDlgItemMessageA})[fake::MAX_DEVICES],
              "SendDlgItemMessageA dialog 101 LB_INSERTSTRING -1 \"MIDI output 9 (unavailable)\"");
}

TEST_F(MidiDeviceTest, CancelEscapeOrAFailedDialogChangeNothing) {
    for (bool fails : {false, true}) {
        SetUp();
        fake::script.dialogButton = IDCANCEL;
        fake::script.dialogFails = fails;
        fake::script.listSelection = 1;
        EXPECT_EQ(runDeviceSetup(fake::WINDOW), 1);
        EXPECT_EQ(g_port.deviceIndex, 0u);
        EXPECT_EQ(fake::count(fake::Fn::midiOutClose), 0u);
        EXPECT_EQ(fake::count(fake::Fn::midiOutOpen), 0u);
        EXPECT_TRUE(fake::midiMessages().empty());
        EXPECT_EQ(fake::calls({fake::Fn::MessageBoxA}),
                  fails ? Lines({"MessageBoxA window \"The SETUP dialog cannot be shown.\" caption null 0x0"})
                        : Lines{});
    }
}

TEST_F(MidiDeviceTest, OkReopensTheChosenDeviceAndSendsEachSectionsProgram) {
    g_model.sections[0].values[ParamId::CHANNEL] = 2;
    g_model.ChannelPatchTable[2] = 33;
    g_model.ChannelPatchTable[0] = 5;
    selectParam(1, ParamId::VOLUME);
    selectParam(0, ParamId::VOLUME);
    fake::clearLog();
    fake::script.dialogButton = IDOK;
    fake::script.listSelection = 1;
    EXPECT_EQ(runDeviceSetup(fake::WINDOW), 1);
    EXPECT_EQ(g_port.deviceIndex, 1u);
    EXPECT_EQ(fake::calls({fake::Fn::midiOutOpen}),
              Lines({"midiOutOpen device 1 callback null instance 0 flags 0x0 -> midi2"}));
    EXPECT_EQ(fake::midiMessages(), Lines({"program 0xC2 33", "program 0xC0 5"}));

    // Two sections on one channel: one program change for it.
    g_model.sections[0].values[ParamId::CHANNEL] = 0;
    fake::clearLog();
    EXPECT_EQ(runDeviceSetup(fake::WINDOW), 1);
    EXPECT_EQ(fake::midiMessages(), Lines({"program 0xC0 5"}));
}

TEST_F(MidiDeviceTest, AChosenDeviceThatWillNotOpenLeavesTheOldOnePlayingAndRemembered) {
    keepDeviceName("Zeta Synth");
    fake::script.dialogButton = IDOK;
    fake::script.listSelection = 2;
    fake::script.openResults[2] = MMSYSERR_ALLOCATED; // another program holds it
    EXPECT_EQ(runDeviceSetup(fake::WINDOW), 1);
    EXPECT_EQ(
        fake::calls({fake::Fn::MessageBoxA}),
        Lines({"MessageBoxA window \"The MIDI output device \"Mid Bridge\" cannot be opened: MIDI error 4\n\nTonvale "
               "plays on \"Zeta Synth\" as before.\" caption null 0x0"}));
    EXPECT_EQ(fake::midiMessages(), Lines({"program 0xC0 0"}));
    EXPECT_EQ(g_port.deviceIndex, 0u);
    EXPECT_STREQ(g_port.deviceName, "Zeta Synth");

    // Neither opens: nothing plays, nothing reaches a closed handle, and
    // RESET does not end the program.
    SetUp();
    fake::script.dialogButton = IDOK;
    fake::script.listSelection = 1;
    fake::script.openResult = MMSYSERR_ALLOCATED;
    EXPECT_EQ(runDeviceSetup(fake::WINDOW), 0);
    EXPECT_EQ(g_port.handle, nullptr);
    fake::clearLog();
    sendVoice(voiceOf(g_model.sections[0], 0), true);
    EXPECT_EQ(resetAll(fake::WINDOW), 1);
    EXPECT_EQ(fake::calls(), Lines({"InvalidateRect window all FALSE"}));
}

// The displays' news of the device, in place of the patch names.
Lines deviceNews() {
    fake::clearLog();
    paintPanel(nullptr);
    Lines news;
    for (const std::string& line : fake::calls({fake::Fn::TextOutA}))
        if (line.find("MIDI DEVICE") != std::string::npos) news.push_back(line.substr(line.find('"')));
    return news;
}

TEST_F(MidiDeviceTest, ADeviceThatGoesIsLetGoAndOpenedAgainByItsNameOnceItIsBack) {
    closePort();
    g_port.deviceIndex = 1; // "Alpha Port"
    openPort();
    fake::clearLog();
    fake::script.shortMessageResult = MIDIERR_NOTREADY; // busy a moment: not gone
    keyPress(scan::Q);
    fake::script.shortMessageResult = MMSYSERR_NODRIVER; // unplugged
    keyPress(scan::W);
    keyRelease(scan::Q); // nothing more to the dead handle, and no box
    EXPECT_EQ(fake::calls({fake::Fn::midiOutShortMsg, fake::Fn::midiOutReset, fake::Fn::midiOutClose,
                           fake::Fn::MessageBoxA}),
              Lines({"midiOutShortMsg midi2 note-on 0x90 60 127", "midiOutShortMsg midi2 note-on 0x90 62 127",
                     "midiOutClose midi2"}));
    EXPECT_EQ(deviceNews(), Lines(2, "\"MIDI DEVICE GONE - WAITING\" 26"));
    fake::script.shortMessageResult = MMSYSERR_NOERROR;
    fake::script.deviceNames[1] = "Mid Bridge";
    fake::clearLog();
    MainWndProc(fake::WINDOW, WM_TIMER, TIMER_DEVICE_WATCH, 0); // not there yet
    fake::script.deviceNames[0] = "Alpha Port"; // back, under another number
    MainWndProc(fake::WINDOW, WM_DEVICECHANGE, 7, 0); // opened by its name, with its programs: test_device_return.py
    EXPECT_EQ(deviceNews(), Lines(2, "\"MIDI DEVICE BACK\" 16"));
    MainWndProc(fake::WINDOW, WM_TIMER, TIMER_DEVICE_WATCH, 0); // the news goes after a while
    EXPECT_EQ(deviceNews(), Lines{});
    EXPECT_FALSE(fake::timerRunning(TIMER_DEVICE_WATCH));
}

TEST_F(MidiDeviceTest, OkWithNothingSelectedKeepsTheDevice) {
    g_port.deviceIndex = 2;
    fake::script.dialogButton = IDOK;
    fake::script.listSelection = LB_ERR;
    runDeviceSetup(fake::WINDOW);
    EXPECT_EQ(g_port.deviceIndex, 2u);
}

TEST_F(MidiDeviceTest, TheDialogIgnoresItsListsNotifications) {
    EXPECT_EQ(setupDialogProc(fake::DIALOG, WM_COMMAND, 101 | (2 << 16), 0), FALSE); // a double click
    EXPECT_EQ(setupDialogProc(fake::DIALOG, WM_TIMER, 0, 0), FALSE);
    EXPECT_EQ(fake::count(fake::Fn::EndDialog), 0u);
}

TEST_F(MidiDeviceTest, OffDestroysTheWindow) {
    switchOff(fake::WINDOW);
    const Lines calls = fake::calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "DestroyWindow window");
    EXPECT_EQ(fake::count(fake::Fn::midiOutClose), 1u);
    EXPECT_EQ(fake::count(fake::Fn::PostQuitMessage), 1u);
}

} // namespace
