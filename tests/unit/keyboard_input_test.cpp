// Playing from the computer keyboard: the key maps, press, repeat and
// release, the key range, Page Up and Page Down, Tab, the panel's keys, the
// sustain pedal, and the keys lost to another window.
#include "input/background_keys.h"
#include "input/keyboard_input.h"
#include "model/key_map.h"
#include "model/key_table.h"
#include "model/keys.h"
#include "model/parameters.h"
#include "model/performance.h"
#include "tests/unit/key_messages.h"
#include "tests/unit/program_test.h"

namespace {

using KeyboardInputTest = ProgramTest;

const char LEFT_BED[] = "InvalidateRect window 39,124,378,247 FALSE";
const char RIGHT_BED[] = "InvalidateRect window 423,124,764,247 FALSE";

void set(int s, int32_t id, int32_t value) { g_model.sections[s].values[id] = value; }

TEST_F(KeyboardInputTest, PressAndReleaseAtTheStartState) {
    keyPress(scan::Q);
    EXPECT_EQ(fake::calls(), Lines({"midiOutShortMsg midi1 note-on 0x90 60 127", LEFT_BED}));
    EXPECT_EQ(g_model.sections[0].keyDown[0], 1);

    fake::clearLog();
    keyRelease(scan::Q);
    EXPECT_EQ(fake::calls(), Lines({"midiOutShortMsg midi1 note-off 0x80 60 127", LEFT_BED}));
    EXPECT_EQ(g_model.sections[0].keyDown[0], 0);
}

TEST_F(KeyboardInputTest, AutoRepeatSendsNothingButRepaintsTheKeyBed) {
    keyPress(scan::Z);
    fake::clearLog();
    keyRepeat(scan::Z);
    keyRepeat(scan::Z);
    EXPECT_EQ(fake::calls(), Lines({RIGHT_BED, RIGHT_BED}));
    EXPECT_EQ(g_model.sections[1].keyDown[0], 1);
}

TEST_F(KeyboardInputTest, OnlyTheTwoKeyBitsTellPressFromRelease) {
    // The message identifier is not consulted: a key-up carrying press bits
    // presses, and bit 31 without bit 30 is no transition at all.
    MainWndProc(fake::WINDOW, WM_KEYUP, 0, fake::pressOf(scan::W));
    MainWndProc(fake::WINDOW, WM_KEYDOWN, 0, fake::releaseOf(scan::W));
    MainWndProc(fake::WINDOW, WM_KEYDOWN, 0, fake::pressOf(scan::W) | (LPARAM)0x80000000u);
    EXPECT_EQ(fake::calls(), Lines({"midiOutShortMsg midi1 note-on 0x90 62 127", LEFT_BED,
                                    "midiOutShortMsg midi1 note-off 0x80 62 127", LEFT_BED, LEFT_BED}));
}

TEST_F(KeyboardInputTest, EveryKeyOfBothRowsPlaysItsIndex) {
    set(1, ParamId::CHANNEL, 1);
    for (int s = 0; s < SECTION_COUNT; ++s) {
        for (int k = 0; k < KEY_COUNT; ++k) {
            SCOPED_TRACE(testing::Message() << "section " << s << " key " << k);
            fake::clearLog();
            keyPress(splitKeyId(s, k), VK_PRIOR); // by scan code, whatever the virtual key
            const std::string note = std::to_string(60 + k);
            EXPECT_EQ(fake::calls(),
                      Lines({"midiOutShortMsg midi1 note-on 0x9" + std::to_string(s) + " " + note + " 127",
                             s == 0 ? LEFT_BED : RIGHT_BED}));
            EXPECT_EQ(g_model.sections[s].keyDown[k], 1);
        }
    }
    EXPECT_EQ(g_model.bendTarget, 8192);
}

TEST_F(KeyboardInputTest, AtOctaveTenTheKeysBeyond127AreNoKeys) {
    set(0, ParamId::OCTAVE, 10);
    keyPress(scan::T); // key 7: note 127
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 127 127"}));

    fake::clearLog();
    for (int k = 8; k < KEY_COUNT; ++k) {
        keyPress(splitKeyId(0, k));
        keyRepeat(splitKeyId(0, k));
        keyRelease(splitKeyId(0, k));
        EXPECT_EQ(g_model.sections[0].keyDown[k], 0) << k;
    }
    EXPECT_TRUE(fake::calls().empty()) << "no note, no flag, no repaint";
}

TEST_F(KeyboardInputTest, KeyRangeLeavesTransposeOut) {
    set(0, ParamId::OCTAVE, 9);
    set(0, ParamId::TRANSPOSE, 11);
    keyPress(scan::P); // note 135: a key, its note not sent
    EXPECT_EQ(fake::calls(), Lines({LEFT_BED}));
    EXPECT_EQ(g_model.sections[0].keyDown[16], 1);
}

TEST_F(KeyboardInputTest, AReleaseEndsTheNoteItsPressStartedWhateverChanged) {
    keyPress(scan::Q);
    set(0, ParamId::OCTAVE, 6);
    set(0, ParamId::TRANSPOSE, 3);
    set(0, ParamId::CHANNEL, 4);
    keyRelease(scan::Q);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 60 127", "note-off 0x80 60 127"}));
}

TEST_F(KeyboardInputTest, AReleaseMovedBeyond127StillEndsItsNote) {
    keyPress(scan::I); // key 12
    set(0, ParamId::OCTAVE, 10);
    fake::clearLog();
    keyRelease(scan::I);
    EXPECT_EQ(fake::calls(), Lines({"midiOutShortMsg midi1 note-off 0x80 72 127", LEFT_BED}));
    EXPECT_EQ(g_model.sections[0].keyDown[12], 0);
    fake::clearLog();
    keyPress(scan::I);
    EXPECT_TRUE(fake::calls().empty()) << "out of range, it plays nothing";
}

TEST_F(KeyboardInputTest, KeypadSlashPlaysLikeSlash) {
    MainWndProc(fake::WINDOW, WM_KEYDOWN, 0x6F, fake::pressOf(scan::SLASH) | EXTENDED_KEY);
    EXPECT_EQ(fake::calls(), Lines({"midiOutShortMsg midi1 note-on 0x90 76 127", RIGHT_BED}));
}

TEST_F(KeyboardInputTest, KeysOutsideBothRowsDoNothing) {
    keyPress(scan::SHIFT, VK_SHIFT_KEY);
    keyPress(scan::CONTROL, VK_CONTROL);
    keyPress(scan::CAPS_LOCK, VK_CAPITAL);
    keyPress(scan::Y); // Ctrl held matters only to chords; Shift plays it soft
    EXPECT_EQ(fake::calls(), Lines({"midiOutShortMsg midi1 note-on 0x90 69 64", LEFT_BED}));
}

TEST_F(KeyboardInputTest, InSingleBothRowsPlayTheActiveSectionAnOctaveApart) {
    useKeyLayout(KEYS_SINGLE);
    set(1, ParamId::CHANNEL, 1);
    for (unsigned key : {scan::Z, scan::Q}) {
        keyPress(key);
        keyRelease(key);
    }
    pressTab();
    keyPress(scan::Q);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 60 127", "note-off 0x80 60 127", "note-on 0x90 72 127",
                                           "note-off 0x80 72 127", "note-on 0x91 72 127"}));
    EXPECT_EQ(fake::calls({fake::Fn::InvalidateRect}).back(), RIGHT_BED) << "both beds show section 1";
}

TEST_F(KeyboardInputTest, ARightClickedKeyIsPlayedByTheNextKeyPressedUnlessThatKeyHasAMeaning) {
    set(1, ParamId::CHANNEL, 1);
    const LPARAM rightBedKey0 = fake::pointData(430, 240);
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_RBUTTONDOWN, 2, rightBedKey0), 0);
    pressTab();
    EXPECT_EQ(fake::calls({fake::Fn::MessageBeep}), Lines({"MessageBeep 0x0"}));
    EXPECT_EQ(g_model.activeSection, 0) << "Tab is refused, not obeyed";
    const unsigned f5 = 0x3F;
    keyPress(f5);
    keyRelease(f5);
    keyPress(scan::Q);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x91 60 127", "note-off 0x81 60 127", "note-on 0x90 60 127"}));
    EXPECT_EQ(g_keyMap.layout, KEYS_CUSTOM) << "starting from Split";

    fake::clearLog(); // Esc lets a mark go, and is no RESET then
    MainWndProc(fake::WINDOW, WM_RBUTTONDOWN, 2, rightBedKey0);
    keyPress(0x01, VK_ESCAPE);
    keyPress(scan::W);
    EXPECT_EQ(fake::count(fake::Fn::midiOutReset), 0u);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 62 127"}));
}

TEST_F(KeyboardInputTest, WhileAKeyIsMarkedAKeyWithAMeaningOfItsOwnOnlyBeeps) {
    // The virtual keys of those that act otherwise, by key id.
    const std::pair<int32_t, WPARAM> VIRTUAL_KEYS[] = {
        {0x0F, VK_TAB},   {0x39, VK_SPACE},         {0x43, VK_F9},          {0x49, VK_PRIOR},
        {0x51, VK_NEXT},  {KEY_EXTENDED | 0x49, VK_PRIOR}, {KEY_EXTENDED | 0x51, VK_NEXT}, {0x48, VK_UP},
        {0x50, VK_DOWN},  {KEY_EXTENDED | 0x4B, VK_LEFT},  {KEY_EXTENDED | 0x4D, VK_RIGHT}, {0x1D, VK_CONTROL},
        {scan::HOME, VK_HOME},
    };
    std::vector<int32_t> keys = {0x00, KEY_EXTENDED}; // a key the system gives no scan code
    for (size_t i = 0; i < KEY_TABLE_SIZE; ++i) {
        if (reservedKey(KEY_TABLE[i].keyId) && KEY_TABLE[i].keyId != 0x01) keys.push_back(KEY_TABLE[i].keyId);
    }
    for (const int32_t keyId : keys) {
        SCOPED_TRACE(keyId);
        SetUp();
        MainWndProc(fake::WINDOW, WM_RBUTTONDOWN, 2, fake::pointData(430, 240));
        WPARAM virtualKey = 0;
        for (const auto& known : VIRTUAL_KEYS) virtualKey = known.first == keyId ? known.second : virtualKey;
        const LPARAM extended = (keyId & KEY_EXTENDED) ? EXTENDED_KEY : 0;
        MainWndProc(fake::WINDOW, WM_KEYDOWN, virtualKey, fake::pressOf(keyId & 0xFF) | extended);
        MainWndProc(fake::WINDOW, WM_KEYDOWN, virtualKey, fake::repeatOf(keyId & 0xFF) | extended);
        MainWndProc(fake::WINDOW, WM_KEYUP, virtualKey, fake::releaseOf(keyId & 0xFF) | extended);
        EXPECT_EQ(fake::calls({fake::Fn::MessageBeep}), Lines({"MessageBeep 0x0"}));
        EXPECT_TRUE(fake::midiMessages().empty());
        EXPECT_EQ(fake::count(fake::Fn::SetTimer), 0u) << "no bend, no modulation";
        EXPECT_EQ(g_model.activeSection, 0);
        EXPECT_EQ(g_model.sections[0].selectedParam, ParamId::PATCH);
        EXPECT_TRUE(learningKey());
    }
}

TEST_F(KeyboardInputTest, AtVolume0AKeyPlaysNothingAndHoldsNothing) {
    KeyBinding custom[KEY_ID_COUNT] = {};
    custom[scan::Q] = KeyBinding{PLAYS_LEFT, 0};
    custom[0x1E] = KeyBinding{PLAYS_LEFT, 0}; // A plays Q's note
    restoreKeyMap(KEYS_CUSTOM, custom);
    set(0, ParamId::VOLUME, 0);
    keyPress(scan::Q);
    set(0, ParamId::VOLUME, 100);
    keyPress(0x1E);
    keyRelease(scan::Q);
    keyRelease(0x1E);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 60 100", "note-off 0x80 60 100"}));
}

TEST_F(KeyboardInputTest, KeysWithAltPlayAsTheyDoAloneButAltF4StillCloses) {
    const LPARAM alt = 1 << 29;
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_SYSKEYDOWN, 'Q', fake::pressOf(scan::Q) | alt), 0);
    EXPECT_EQ(MainWndProc(fake::WINDOW, WM_SYSKEYUP, 'Q', fake::releaseOf(scan::Q) | alt), 0);
    MainWndProc(fake::WINDOW, WM_SYSKEYDOWN, VK_F4, fake::pressOf(0x3E) | alt);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 60 127", "note-off 0x80 60 127"}));
    EXPECT_EQ(fake::calls({fake::Fn::DefWindowProcA}), Lines({"DefWindowProcA window 0x0104 115 540934145"}));
}

TEST_F(KeyboardInputTest, PageUpAndPageDownNudgeOnEveryMessage) {
    pageUp(fake::pressOf(scan::PAGE_UP));
    pageUp(fake::repeatOf(scan::PAGE_UP));
    pageUp(fake::releaseOf(scan::PAGE_UP));
    EXPECT_EQ(g_model.bendTarget, 8192 + 3 * 1500);
    pageDown(fake::pressOf(scan::PAGE_DOWN));
    pageDown(fake::releaseOf(scan::PAGE_DOWN));
    EXPECT_EQ(g_model.bendTarget, 8192 + 1500);
    EXPECT_EQ(fake::calls(), Lines(5, "SetTimer window id 1 1ms")) << "nothing sent, nothing repainted";
    EXPECT_EQ(g_model.bendValue, 8192);
}

TEST_F(KeyboardInputTest, TabSwitchesTheActiveSectionAndRepaintsAll) {
    selectParam(1, ParamId::VOLUME);
    selectParam(0, ParamId::PATCH);
    fake::clearLog();
    pressTab();
    EXPECT_EQ(g_model.activeSection, 1);
    EXPECT_EQ(fake::calls(), Lines({"InvalidateRect window all FALSE"}));
    keyRepeat(scan::TAB, VK_TAB); // held, it goes on switching
    EXPECT_EQ(g_model.activeSection, 0);
}

TEST_F(KeyboardInputTest, ChordModeKeysPlayChordsAndRepaintOnce) {
    set(1, ParamId::CHORD, 1);
    keyPress(scan::Z);
    keyRepeat(scan::Z);
    keyRelease(scan::Z);
    EXPECT_EQ(fake::calls({fake::Fn::InvalidateRect}), Lines(3, RIGHT_BED));
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 60 127", "note-on 0x90 64 127", "note-on 0x90 67 127",
                                           "note-off 0x80 60 127", "note-off 0x80 64 127", "note-off 0x80 67 127"}));
}

TEST_F(KeyboardInputTest, ChordModeSwitchedWhileHeldReleasesWhatThePressPlayed) {
    set(0, ParamId::CHORD, 1);
    keyPress(scan::E);
    set(0, ParamId::CHORD, 0);
    fake::clearLog();
    keyRelease(scan::E);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-off 0x80 64 127", "note-off 0x80 68 127", "note-off 0x80 71 127"}));
    EXPECT_EQ(g_model.sections[0].keyDown[8], 0);
    EXPECT_EQ(g_model.sections[0].keyDown[11], 0);

    keyPress(scan::W); // plain, then chord mode on before the release
    set(0, ParamId::CHORD, 1);
    fake::clearLog();
    keyRelease(scan::W);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-off 0x80 62 127"}));
}

TEST_F(KeyboardInputTest, LosingTheKeysEndsWhatIsHeldAndNothingIsReplayed) {
    set(1, ParamId::CHORD, 1);
    keyPress(scan::Q);
    keyPress(scan::Z);
    keyPress(scan::SPACE, VK_SPACE);
    pageUp();
    timerTick();
    fake::clearLog();
    loseKeys();
    EXPECT_EQ(fake::midiMessages(), Lines({"note-off 0x80 60 127", "note-off 0x80 64 127", "note-off 0x80 67 127",
                                           "control 0xB0 64 0", "bend 0xE0 0 64"}))
        << "Q's note and Z's chord share 60: one note-off, when the last lets it go";
    EXPECT_FALSE(fake::timerRunning(TIMER_BEND_RAMP));
    EXPECT_FALSE(g_model.sections[0].keyDown[0] || g_model.sections[1].keyDown[0]);
    fake::clearLog();
    regainKeys();
    keyRepeat(scan::Q);
    keyRelease(scan::Q);
    keyRelease(scan::SPACE, VK_SPACE);
    loseKeys();
    EXPECT_TRUE(fake::midiMessages().empty()) << "nothing held, nothing replayed";
}

TEST_F(KeyboardInputTest, ChordsAskTheSystemNothingAndCtrlAndCapsLockAreReadAgainWithTheKeys) {
    set(0, ParamId::CHORD, 1);
    MainWndProc(fake::WINDOW, WM_KEYDOWN, VK_CONTROL, fake::pressOf(scan::CONTROL) | EXTENDED_KEY);
    setCapsLock(true);
    fake::clearLog();
    keyPress(scan::Y);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 60 127", "note-on 0x90 64 127", "note-on 0x90 69 127"}));
    EXPECT_EQ(fake::count(fake::Fn::GetKeyState), 0u);
    keyRelease(scan::Y);
    // Meanwhile, in another window: the right Ctrl let go, Caps Lock off.
    loseKeys();
    regainKeys();
    fake::clearLog();
    keyPress(scan::Y);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 69 127", "note-on 0x90 73 127", "note-on 0x90 76 127"}));
}

TEST_F(KeyboardInputTest, AWheelDragThatLosesTheCaptureSpringsBack) {
    MainWndProc(fake::WINDOW, WM_LBUTTONDOWN, 1, fake::pointData(400, 180));
    MainWndProc(fake::WINDOW, WM_MOUSEMOVE, 1, fake::pointData(400, 170));
    MainWndProc(fake::WINDOW, WM_CAPTURECHANGED, 0, (LPARAM)fake::DIALOG);
    MainWndProc(fake::WINDOW, WM_LBUTTONUP, 0, fake::pointData(400, 170));
    EXPECT_EQ(fake::midiMessages(), Lines({"bend 0xE0 16 67", "bend 0xE0 0 64"}));
}

// Scroll Lock switches wherever it is pressed: a hotkey, the window's own
// messages in front, the hook behind another window; a press and release
// at one moment (Wine setting the light) switches nothing.
TEST_F(KeyboardInputTest, ScrollLockSwitchesPlayingBehindOtherWindowsWhereverItIsPressed) {
    registerMainClass(fake::INSTANCE); // so that the hotkey reaches the window procedure
    startBackgroundKeys(fake::WINDOW, MainWndProc);
    EXPECT_TRUE(fake::hotKey(VK_SCROLL) && g_model.backgroundArmed);
    keyPress(0x46, VK_SCROLL), keyRelease(0x46, VK_SCROLL);
    EXPECT_FALSE(g_model.backgroundArmed);
    fake::script.foreground = fake::OTHER_WINDOW;
    loseKeys();
    EXPECT_TRUE(fake::hotKey(VK_SCROLL) && g_model.backgroundArmed);
    KBDLLHOOKSTRUCT wine = {VK_SCROLL, 0x46, 0, 7, 0};
    backgroundKeyHook(HC_ACTION, WM_KEYDOWN, (LPARAM)&wine);
    wine.flags = LLKHF_UP;
    backgroundKeyHook(HC_ACTION, WM_KEYUP, (LPARAM)&wine);
    EXPECT_TRUE(g_model.backgroundArmed);
    fake::lowLevelKey(VK_SCROLL, 0x46, false), fake::lowLevelKey(VK_SCROLL, 0x46, true);
    EXPECT_FALSE(g_model.backgroundArmed);
}

} // namespace
