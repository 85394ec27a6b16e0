// Takes: what the file holds, where it goes, and when it is written; a
// failed save told once, kept and tried again.
#include "model/patch_names.h"
#include "port/midi_out_port.h"
#include "port/take_recorder.h"
#include "takes/takes.h"
#include "tests/unit/key_messages.h"
#include "tests/unit/midi_file_reader.h"
#include "tests/unit/program_test.h"

namespace {

const char TAKE_FILE[] = "C:\\Users\\Musician\\Documents\\Tonvale\\Tonvale 2026-05-17 14-30-05.mid";
const unsigned F9_SCAN_CODE = 0x43;

class TakesTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prepareRecorderSpace(); // as start-up does
        std::snprintf(g_patchNames.names[0], sizeof g_patchNames.names[0], "1 Acoustic Grand Piano");
        std::snprintf(g_patchNames.names[40], sizeof g_patchNames.names[40], "41 Violin");
        g_patchNames.count = 41;
    }
    static void later(double seconds) { fake::script.performanceCounter += (int64_t)(seconds * 1e7); }
    static void f9() { keyPress(F9_SCAN_CODE, VK_F9), keyRelease(F9_SCAN_CODE, VK_F9); }
    static void tick() { MainWndProc(fake::WINDOW, WM_TIMER, TIMER_TAKES, 0); }
    static void tap(unsigned scanCode) { keyPress(scanCode), keyRelease(scanCode); }
    // "track tick event" for each event of the file, or why it cannot be read.
    static Lines events(const char* path = TAKE_FILE) {
        const std::string* bytes = fake::fileContent(path);
        const MidiFileRead file = readMidiFile(bytes ? *bytes : "");
        Lines lines{file.error};
        for (const FileEvent& e : file.events)
            lines.push_back(std::to_string(e.track) + " " + std::to_string(e.tick) + " " + e.text);
        return lines;
    }
};

TEST_F(TakesTest, ATakeIsATrackPerChannelAfterTheTempoWithItsProgramsFirstAndNothingLeftSoundingAtTheEnd) {
    g_model.sections[1].values[ParamId::CHANNEL] = 1;
    g_model.ChannelPatchTable[1] = 40;
    f9();
    later(5); // left out: the silence before the first note
    keyPress(scan::SPACE, VK_SPACE);
    keyPress(scan::Q);
    later(0.5);
    keyRelease(scan::Q);
    later(600); // ten minutes: 576000 ticks
    keyPress(scan::Z);
    later(1);
    f9();
    EXPECT_EQ(fake::fileContent(TAKE_FILE)->substr(0, 18), std::string("MThd\0\0\0\6\0\1\0\3\1\xE0MTrk", 18));
    EXPECT_NE(fake::fileContent(TAKE_FILE)->find(std::string("\xA3\x97\x60\x91\x3C\x7F", 6)), std::string::npos)
        << "the delta as a variable-length quantity, the status byte after it";
    EXPECT_EQ(events(),
              (Lines{"", "0 0 name Tonvale 2026-05-17 14-30-05", "0 0 time 4/4", "0 0 tempo 500000", "0 577440 end",
                     "1 0 name Left - Acoustic Grand Piano", "1 0 program 0xC0 0", "1 0 control 0xB0 64 127",
                     "1 0 note-on 0x90 60 127", "1 480 note-off 0x80 60 127", "1 577440 control 0xB0 64 0",
                     "1 577440 end", "2 0 name Right - Violin", "2 0 program 0xC1 40", "2 576480 note-on 0x91 60 127",
                     "2 577440 note-off 0x81 60 0", "2 577440 end"}));
}

TEST_F(TakesTest, TheRecorderGrowsByChunksMadeReadyOnTheTimerAndTellsOnceWhenMemoryRanOut) {
    f9();
    for (uint32_t i = 0; i < 3 * CHUNK_EVENTS; ++i) {
        if (i % 1000 == 0) tick();
        sendShortMessage(0x7F3C80);
    }
    EXPECT_EQ(g_recorder.events.count, 3 * CHUNK_EVENTS);
    for (uint32_t i = 0; i < 2 * CHUNK_EVENTS; ++i) sendShortMessage(0x7F3C80); // no tick: no spare after the next
    EXPECT_EQ(g_recorder.lost, CHUNK_EVENTS);
    tick();
    tick();
    EXPECT_EQ(fake::calls({fake::Fn::MessageBoxA}),
              Lines{"MessageBoxA window \"Tonvale ran out of memory while recording: part of the take is missing.\" "
                    "caption null 0x0"});
}

TEST_F(TakesTest, AFailedSaveIsToldOnceKeptAndTriedAgainUntilItWorksThenTheDisplaysSaySo) {
    fake::script.diskSpace = 10;
    f9();
    tap(scan::Q);
    f9();
    later(6);
    tick();
    EXPECT_EQ(fake::fileContent(TAKE_FILE), nullptr);
    ASSERT_EQ(fake::count(fake::Fn::MessageBoxA), 1u);
    EXPECT_EQ(
        fake::calls({fake::Fn::MessageBoxA})[0].substr(20, 97),
        "Take 1 cannot be saved in \"C:\\Users\\Musician\\Documents\\Tonvale\". Is the disk full?\n\nTonvale keeps");
    fake::script.diskSpace = (size_t)-1;
    later(6);
    tick();
    EXPECT_EQ(events().size(), 10u);
    fake::clearLog();
    MainWndProc(fake::WINDOW, WM_PAINT, 0, 0);
    EXPECT_EQ(fake::calls({fake::Fn::TextOutA})[0], "TextOutA null 37,38 \"TAKE 1 SAVED\" 12");
    later(3);
    tick();
    EXPECT_FALSE(fake::timerRunning(TIMER_TAKES));
    EXPECT_EQ(g_takes.savedNumber, 0u);
}

TEST_F(TakesTest, TakesGoBesideAPortableProgramAndOneStartedInTheSameSecondGetsANumber) {
    fake::putFile("C:\\Tonvale\\tonvale.ini", "");
    for (int i = 0; i < 2; ++i) f9(), tap(scan::Q), f9();
    EXPECT_EQ(events("C:\\Tonvale\\Takes\\Tonvale 2026-05-17 14-30-05.mid").size(), 10u);
    EXPECT_EQ(events("C:\\Tonvale\\Takes\\Tonvale 2026-05-17 14-30-05 (2).mid").size(), 10u);
}

TEST_F(TakesTest, ATakeGoingOnIsSavedAfterAPauseAtTheSessionsEndAndAtTheEnd) {
    f9();
    tap(scan::Q);
    later(1.5);
    tick();
    EXPECT_EQ(fake::fileContent(TAKE_FILE), nullptr) << "not a pause yet";
    later(1);
    tick();
    EXPECT_EQ(events()[7], "1 0 note-on 0x90 60 127");
    keyPress(scan::W);
    MainWndProc(fake::WINDOW, WM_QUERYENDSESSION, 0, 0);
    EXPECT_EQ(events()[9], "1 2400 note-on 0x90 62 127");
    keyRelease(scan::W);
    keyPress(scan::E);
    MainWndProc(fake::WINDOW, WM_DESTROY, 0, 0);
    const Lines atTheEnd = events();
    EXPECT_EQ(Lines(atTheEnd.end() - 3, atTheEnd.end()),
              (Lines{"1 2400 note-on 0x90 64 127", "1 2400 note-off 0x80 64 0", "1 2400 end"}));
    EXPECT_FALSE(g_recorder.recording);
}

} // namespace
