// Settings kept between runs: what a file of any shape gives, what is
// written, where, and when.
#include "app/main_window.h"
#include "model/performance.h"
#include "port/midi_out_port.h"
#include "settings/settings.h"
#include "tests/unit/key_messages.h"
#include "tests/unit/program_test.h"
#include "tests/unit/temp_directory.h"

#include <cstring>

namespace {

const char ROAMING_FILE[] = "C:\\Users\\Musician\\AppData\\Roaming\\Tonvale\\tonvale.ini";
const char PORTABLE_FILE[] = "C:\\Tonvale\\tonvale.ini";

// The values of a record in one line, the patches only where not 0.
std::string describe(const Settings& settings) {
    std::string text;
    for (const SectionSettings& s : settings.sections) {
        text += "ch" + std::to_string(s.values[ParamId::CHANNEL]) + " oct" + std::to_string(s.values[ParamId::OCTAVE]) +
                " vol" + std::to_string(s.values[ParamId::VOLUME]) + " tr" +
                std::to_string(s.values[ParamId::TRANSPOSE]) + " chord" + std::to_string(s.values[ParamId::CHORD]) +
                " sel" + std::to_string(s.selected) + (s.strumMs ? " strum" + std::to_string(s.strumMs) : "") +
                (s.latch ? " latch" : "") + (s.softVolume != 64 ? " soft" + std::to_string(s.softVolume) : "") +
                " | ";
    }
    text += "patches";
    for (int32_t c = 0; c < CHANNEL_COUNT; ++c) {
        if (settings.patches[c]) text += " " + std::to_string(c) + ":" + std::to_string(settings.patches[c]);
    }
    for (int32_t c = 0; c < CHANNEL_COUNT; ++c) {
        if (settings.banks[c] != NO_BANK) text += " bank" + std::to_string(c) + ":" + std::to_string(settings.banks[c]);
    }
    text += " | active" + std::to_string(settings.activeSection) + " device \"" + settings.deviceName + "\"";
    if (settings.windowX != NO_WINDOW_POSITION && settings.windowY != NO_WINDOW_POSITION)
        text += " at " + std::to_string(settings.windowX) + "," + std::to_string(settings.windowY);
    if (settings.keyLayout != KEYS_SPLIT) text += " keys" + std::to_string(settings.keyLayout);
    for (int32_t keyId = 0; keyId < KEY_ID_COUNT; ++keyId) {
        const KeyBinding& key = settings.customKeys[keyId];
        if (key.target) text += " " + std::to_string(keyId) + "=" + "-LRA"[key.target] + std::to_string(key.offset);
    }
    return text;
}

const char START[] =
    "ch0 oct5 vol127 tr0 chord0 sel0 | ch0 oct5 vol127 tr0 chord0 sel0 | patches | active0 device \"\"";

struct BrokenInput {
    const char* what;
    std::string text;
    const char* expected;
};

const char BINARY[] = "\0\xFF\x01[Left\0]\nChannel=\xFF\n\x1A";

const BrokenInput BROKEN_INPUTS[] = {
    {"empty", "", START},
    {"binary", std::string(BINARY, sizeof BINARY - 1), START},
    {"truncated", "[Left]\r\nOctave=3\r\nChan",
     "ch0 oct3 vol127 tr0 chord0 sel0 | ch0 oct5 vol127 tr0 chord0 sel0 | patches | active0 device \"\""},
    {"out of range and not numbers",
     "[Left]\nChannel=17\nOctave=-1\nVolume=12x\nTranspose=99999999999\nChord=2\nSelected=Knob\nStrum=61\n"
     "Latch=yes\n"
     "[Right]\nChannel=16\nVolume=0\n[Patches]\nChannel1=0\nChannel2=129\nChannel3=+5\n"
     "[General]\nActiveSection=2\nWindowX=40000\nWindowY=0",
     "ch0 oct5 vol127 tr0 chord0 sel0 | ch15 oct5 vol0 tr0 chord0 sel0 | patches | active0 device \"\""},
    {"edited by hand",
     "\xEF\xBB\xBF; mine\n  [ left ]  \n chord = ON \nselected= octave\nUnknown=3\nstrum = 25\nlatch=on\n"
     "[Right]\nChord=maj7\nSelected=chord\n[Nope]\nChannel=4\n"
     "[Patches]\nChannel2=33\nChannel10=50\nChannel17=5\n[General]\nactivesection=right\nDevice= Alpha Port \n"
     "WindowX=-10\nWindowY=20\n",
     "ch0 oct5 vol127 tr0 chord1 sel2 strum25 latch | ch0 oct5 vol127 tr0 chord4 sel5 | patches 1:32 | active1 "
     "device \"Alpha Port\" at -10,20"},
    {"comments after a blank, names in quotes",
     "[Left]\nVolume=100 ; loud\nOctave=3;4\n[General]\nDevice=\" Alpha Port \" ; the USB one\n",
     "ch0 oct5 vol100 tr0 chord0 sel0 | ch0 oct5 vol127 tr0 chord0 sel0 | patches | active0 device \" Alpha Port \""},
    {"keys: unknown names and sections, offsets out of range, keys with a meaning, a key twice",
     "[General]\nKeys=custom\n[Keys]\nQ=Right 7\nq=Left 3\nComma=active 127\nScanE035=Active 28\nSpace=Left 1\n"
     "Scan01=Left 1\nF5=Right 128\nNoSuchKey=Left 2\nScan2=Left 0\nScanE0=Middle 4\nF10 = Left 12 ; the tenth\n"
     "A=Left 0\nAltLeft=Left 5\nScan00=Left 6\nHome=Left 4\n",
     "ch0 oct5 vol127 tr0 chord0 sel0 | ch0 oct5 vol127 tr0 chord0 sel0 | patches | active0 device \"\" keys2 16=R7 "
     "30=L0 51=A127 68=L12 309=A28"},
    {"soft volumes and banks, some out of range",
     "[Left]\nSoftVolume=0\n[Right]\nSoftVolume=40\n[Banks]\nChannel1=130\nChannel2=16384\nChannel3=-1\n"
     "Channel16=16383",
     "ch0 oct5 vol127 tr0 chord0 sel0 | ch0 oct5 vol127 tr0 chord0 sel0 soft40 | patches bank0:130 bank15:16383 | "
     "active0 device \"\""},
    {"a device name too long for any device, one window coordinate",
     "[General]\nDevice=" + std::string(32, 'n') + "\nWindowX=100\n", START},
};

TEST(SettingsText, EachValueThatCannotBeReadKeepsItsStartValue) {
    for (const BrokenInput& input : BROKEN_INPUTS) {
        Settings settings;
        readSettingsText(input.text.data(), input.text.size(), settings);
        EXPECT_EQ(describe(settings), input.expected) << input.what;
    }
}

TEST(SettingsText, WhatIsWrittenIsReadBackTheSame) {
    Settings settings;
    settings.sections[0].values[ParamId::CHANNEL] = 1;
    settings.sections[0].values[ParamId::OCTAVE] = 3;
    settings.sections[0].selected = ParamId::OCTAVE;
    settings.sections[1].values[ParamId::CHORD] = ChordType::MAJOR_SEVENTH;
    settings.sections[1].strumMs = 30;
    settings.sections[1].latch = 1;
    settings.patches[1] = 32;
    settings.banks[15] = 16383;
    settings.activeSection = 1;
    copyDeviceName(settings.deviceName, "Alpha Port", 10);
    settings.windowX = -10;
    settings.windowY = 0;
    settings.keyLayout = KEYS_CUSTOM;
    settings.customKeys[0x10] = KeyBinding{PLAYS_RIGHT, 7};
    settings.customKeys[KEY_EXTENDED | 0x35] = KeyBinding{PLAYS_ACTIVE, 28};
    char text[SETTINGS_TEXT_SIZE];
    const size_t length = writeSettingsText(settings, text);
    EXPECT_EQ(std::string(text, length),
              "; Tonvale's settings, kept between runs. Delete this file to start afresh.\r\n\r\n"
              "[Left]\r\nChannel=2\r\nOctave=3\r\nVolume=127\r\nSoftVolume=64\r\nTranspose=0\r\nChord=Off\r\n"
              "Selected=Octave\r\nStrum=0\r\nLatch=Off\r\n\r\n"
              "[Right]\r\nChannel=1\r\nOctave=5\r\nVolume=127\r\nSoftVolume=64\r\nTranspose=0\r\nChord=Maj7\r\n"
              "Selected=Patch\r\nStrum=30\r\nLatch=On\r\n\r\n"
              "[Patches]\r\nChannel1=1\r\nChannel2=33\r\nChannel3=1\r\nChannel4=1\r\nChannel5=1\r\nChannel6=1\r\n"
              "Channel7=1\r\nChannel8=1\r\nChannel9=1\r\nChannel10=1\r\nChannel11=1\r\nChannel12=1\r\nChannel13=1\r\n"
              "Channel14=1\r\nChannel15=1\r\nChannel16=1\r\n\r\n[Banks]\r\nChannel16=16383\r\n\r\n"
              "[General]\r\nActiveSection=Right\r\nDevice=Alpha Port\r\nKeys=Custom\r\nWindowX=-10\r\nWindowY=0\r\n\r\n"
              "[Keys]\r\nQ=Right 7\r\nScanE035=Active 28\r\n");
    Settings read;
    readSettingsText(text, length, read);
    EXPECT_EQ(describe(read), describe(settings));
    EXPECT_EQ(std::memcmp(&read, &settings, sizeof read), 0);

    // Names the reader would cut are written in quotes.
    for (const char* name : {" Alpha Port ", "Port; 2", "\"Q\""}) {
        copyDeviceName(settings.deviceName, name, std::strlen(name));
        Settings again;
        readSettingsText(text, writeSettingsText(settings, text), again);
        EXPECT_STREQ(again.deviceName, name);
    }
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        resetProgramState();
        g_settings = SettingsStore{};
        directory.write("gm_ins.nms", patchFile(3));
        fake::script.deviceCount = 2;
        fake::script.deviceNames[0] = "Zeta Synth";
        fake::script.deviceNames[1] = "Alpha Port";
    }

    void start() {
        registerMainClass(fake::INSTANCE);
        ASSERT_TRUE(createMainWindow(fake::INSTANCE, SW_SHOWDEFAULT));
        fake::clearLog();
    }

    static void send(UINT message, WPARAM wParam, LPARAM lParam = 0) {
        MainWndProc(fake::WINDOW, message, wParam, lParam);
    }
    static std::string file(const char* path) {
        const std::string* content = fake::fileContent(path);
        return content ? *content : "(none)";
    }
    static bool saysLine(const char* path, const char* line) {
        return file(path).find(std::string("\r\n") + line + "\r\n") != std::string::npos;
    }

    TempDirectory directory;
};

TEST_F(SettingsTest, ARememberedFileIsReadBeforeTheDeviceOpensAndThePanelIsWhereItWasLeft) {
    fake::putFile(ROAMING_FILE, "[Left]\nChannel=2\nOctave=3\nSelected=Octave\n[Patches]\nChannel2=33\n"
                                "[General]\nActiveSection=Right\nDevice=Alpha Port\nWindowX=100\nWindowY=50\n"
                                "Keys=Custom\n[Keys]\nQ=Left 2\n[Banks]\nChannel2=130\n");
    registerMainClass(fake::INSTANCE);
    ASSERT_TRUE(createMainWindow(fake::INSTANCE, SW_SHOWDEFAULT));
    EXPECT_EQ(fake::calls({fake::Fn::CreateWindowExA, fake::Fn::midiOutGetDevCapsA, fake::Fn::midiOutOpen,
                           fake::Fn::midiOutShortMsg}),
              Lines({
                  "CreateWindowExA ex 0x0 \"Tonvale 1.0 (beta)\" \"Tonvale 1.0 (beta)\" style 0x80000000 at 100,50 "
                  "size 800x250 parent null menu null instance",
                  "midiOutGetDevCapsA 0 size 52",
                  "midiOutGetDevCapsA 1 size 52",
                  "midiOutGetDevCapsA 1 size 52", // the name of the device opened
                  "midiOutOpen device 1 callback null instance 0 flags 0x0 -> midi1",
                  "midiOutShortMsg midi1 control 0xB1 0 1", // its bank first
                  "midiOutShortMsg midi1 control 0xB1 32 2",
                  "midiOutShortMsg midi1 program 0xC1 32", // sent though Octave is selected
                  "midiOutShortMsg midi1 program 0xC0 0",
              }));
    EXPECT_EQ(g_model.activeSection, 1);
    fake::clearLog();
    keyPress(scan::Q);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x91 38 127"})) << "the player's own keys";
}

TEST_F(SettingsTest, AMissingDeviceFallsBackToDevice0AndAPanelOffEveryScreenToItsStartPosition) {
    fake::putFile(ROAMING_FILE, "[General]\nDevice=Gone Synth\nWindowX=3000\nWindowY=50\n");
    start();
    EXPECT_EQ(g_port.deviceIndex, 0u);
    RECT at;
    GetWindowRect(fake::WINDOW, &at);
    EXPECT_EQ(at.left, 415);
    EXPECT_EQ(at.top, 746);
    DestroyWindow(fake::WINDOW);
    EXPECT_TRUE(saysLine(ROAMING_FILE, "Device=Gone Synth")) << "remembered until another is chosen";
}

TEST_F(SettingsTest, ARememberedDeviceThatWillNotOpenGivesWayToDevice0AndTheMessageFollowsThePanel) {
    fake::putFile(ROAMING_FILE, "[General]\nDevice=Alpha Port\n");
    fake::script.openResults[1] = MMSYSERR_ALLOCATED; // another program holds it
    registerMainClass(fake::INSTANCE);
    ASSERT_TRUE(createMainWindow(fake::INSTANCE, SW_SHOWDEFAULT));
    EXPECT_EQ(
        fake::calls({fake::Fn::midiOutOpen, fake::Fn::ShowWindow, fake::Fn::MessageBoxA}),
        Lines({"midiOutOpen device 1 callback null instance 0 flags 0x0 -> failed",
               "midiOutOpen device 0 callback null instance 0 flags 0x0 -> midi1", "ShowWindow window 10",
               "MessageBoxA window \"The MIDI output device \"Alpha Port\" cannot be opened: MIDI error 4\n\nTonvale "
               "plays on \"Zeta Synth\" instead; SETUP chooses another.\" caption null 0x0"}));
    fake::clearLog();
    keyPress(scan::Q);
    EXPECT_EQ(fake::calls({fake::Fn::midiOutShortMsg}), Lines({"midiOutShortMsg midi1 note-on 0x90 60 127"}));
    DestroyWindow(fake::WINDOW);
    EXPECT_TRUE(saysLine(ROAMING_FILE, "Device=Alpha Port")) << "tried again at the next start";

    SetUp(); // device 0 fails too: no start, as without settings
    fake::putFile(ROAMING_FILE, "[General]\nDevice=Alpha Port\n");
    fake::script.openResult = MMSYSERR_ALLOCATED;
    registerMainClass(fake::INSTANCE);
    EXPECT_FALSE(createMainWindow(fake::INSTANCE, SW_SHOWDEFAULT));
    EXPECT_EQ(fake::calls({fake::Fn::MessageBoxA}),
              Lines({"MessageBoxA window \"Can't open MIDI output device\" caption null 0x0"}));
}

TEST_F(SettingsTest, TheSessionsEndSavesAChangeHeldBackByAKey) {
    start();
    pressTab();
    keyPress(scan::Q);
    send(WM_TIMER, TIMER_SETTINGS_SAVE);
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(saysLine(ROAMING_FILE, "ActiveSection=Right"));
    pressTab();
    send(WM_ENDSESSION, TRUE);
    EXPECT_TRUE(saysLine(ROAMING_FILE, "ActiveSection=Left"));
    EXPECT_EQ(fake::calls({fake::Fn::midiOutReset, fake::Fn::midiOutClose}),
              Lines({"midiOutReset midi1", "midiOutClose midi1"}))
        << "no WM_DESTROY comes: the device is silenced now";
}

TEST_F(SettingsTest, AKnobDragIsSavedOnceASecondAfterItEndsAndNotWhileAKeyIsHeld) {
    start();
    send(WM_LBUTTONDOWN, 0, fake::pointData(400, 50));
    for (int x = 401; x <= 440; ++x) send(WM_MOUSEMOVE, 0, fake::pointData(x, 50));
    send(WM_LBUTTONUP, 0, fake::pointData(440, 50));
    EXPECT_EQ(fake::calls({fake::Fn::SetTimer}), Lines(40, "SetTimer window id 2 1000ms"))
        << "each step restarts the wait";
    EXPECT_EQ(file(ROAMING_FILE), "(none)");

    keyPress(scan::Q);
    send(WM_TIMER, TIMER_SETTINGS_SAVE);
    EXPECT_EQ(file(ROAMING_FILE), "(none)") << "nothing is written while a key is held";
    EXPECT_TRUE(fake::timerRunning(TIMER_SETTINGS_SAVE));
    keyRelease(scan::Q);
    send(WM_TIMER, TIMER_SETTINGS_SAVE);
    EXPECT_TRUE(saysLine(ROAMING_FILE, "Channel1=41"));
    EXPECT_FALSE(fake::timerRunning(TIMER_SETTINGS_SAVE));
    EXPECT_EQ(fake::filePaths(), Lines({ROAMING_FILE})) << "the new file took the old one's place";

    fake::putFile(ROAMING_FILE, "as edited");
    pressTab();
    pressTab(); // and back: nothing to save
    DestroyWindow(fake::WINDOW);
    EXPECT_EQ(file(ROAMING_FILE), "as edited");
}

TEST_F(SettingsTest, AFailedSaveKeepsTheOldFileSaysNothingAndIsTriedAgainWithTheNextChange) {
    const struct {
        const char* what;
        size_t diskSpace;
        bool moveFails;
    } failures[] = {{"disk full", 100, false}, {"cannot replace", (size_t)-1, true}};
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.what);
        SetUp();
        fake::putFile(ROAMING_FILE, "[Left]\nOctave=4\n");
        start();
        fake::script.diskSpace = failure.diskSpace;
        fake::script.moveFails = failure.moveFails;
        pressTab();
        send(WM_TIMER, TIMER_SETTINGS_SAVE);
        EXPECT_EQ(file(ROAMING_FILE), "[Left]\nOctave=4\n");
        EXPECT_EQ(fake::filePaths(), Lines({ROAMING_FILE})) << "no half-written file is left";
        EXPECT_EQ(fake::count(fake::Fn::MessageBoxA), 0u);

        fake::script = fake::Script();
        fake::script.deviceCount = 2;
        pressTab();
        pressTab();
        send(WM_TIMER, TIMER_SETTINGS_SAVE);
        EXPECT_TRUE(saysLine(ROAMING_FILE, "ActiveSection=Right"));
        EXPECT_TRUE(saysLine(ROAMING_FILE, "Octave=4"));
    }
}

TEST_F(SettingsTest, AFileBesideTheProgramIsUsedInsteadAndTheEndSavesWhatIsPending) {
    fake::putFile(PORTABLE_FILE, "");
    start();
    pressTab();
    DestroyWindow(fake::WINDOW);
    EXPECT_TRUE(saysLine(PORTABLE_FILE, "ActiveSection=Right"));
    EXPECT_EQ(file(ROAMING_FILE), "(none)");

    SetUp(); // a first run makes the folder under %APPDATA% at the end
    start();
    fake::moveWindow(20, 30);
    send(WM_MOVE, 0);
    DestroyWindow(fake::WINDOW);
    EXPECT_TRUE(saysLine(ROAMING_FILE, "WindowX=20\r\nWindowY=30"));
}

TEST_F(SettingsTest, SetupKeepsTheChosenDeviceByName) {
    start();
    fake::script.dialogButton = IDOK;
    fake::script.listSelection = 1;
    send(WM_LBUTTONDOWN, 0, fake::pointData(700, 25)); // SETUP
    EXPECT_STREQ(g_port.deviceName, "Alpha Port");
    DestroyWindow(fake::WINDOW);
    EXPECT_TRUE(saysLine(ROAMING_FILE, "Device=Alpha Port"));
}

} // namespace
