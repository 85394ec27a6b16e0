// Takes: what the file holds, when and where it is saved, a failed save (the recorder: tests/alloc/).
#include "port/take_recorder.h"
#include "takes/takes.h"
#include "tests/unit/key_messages.h"
#include "tests/unit/midi_file_reader.h"
#include "tests/unit/program_test.h"

namespace {

using TakesTest = ProgramTest;

void f9() { keyPress(0x43, VK_F9); }

void tickAfter(double seconds) {
    fake::script.performanceCounter += (int64_t)(seconds * 1e7);
    MainWndProc(fake::WINDOW, WM_TIMER, TIMER_TAKES, 0);
}

// What a paint draws, the left display's first line first.
Lines painted() {
    fake::clearLog();
    MainWndProc(fake::WINDOW, WM_PAINT, 0, 0);
    return fake::calls({fake::Fn::TextOutA});
}

Lines file(const char* path) { return readMidiFile(fake::fileContent(path) ? *fake::fileContent(path) : ""); }

TEST_F(TakesTest, ATakeIsATrackPerChannelAfterTheTempoWithItsProgramsFirstAndNothingLeftSoundingAtTheEnd) {
    g_model.ChannelPatchTable[0] = 40;
    g_model.channelBanks[0] = ChannelBank{true, 130};
    g_model.sections[1].values[ParamId::CHANNEL] = 1;
    keyPress(scan::HOME, VK_HOME); // the modulation up before the take, at the top after 22 ticks
    for (int i = 0; i < 22; ++i) MainWndProc(fake::WINDOW, WM_TIMER, TIMER_MODULATION, 0);
    f9();
    tickAfter(5); // left out: the silence before the first note
    keyPress(scan::SPACE, VK_SPACE);
    keyPress(scan::Q);
    tickAfter(0.5);
    keyRelease(scan::Q);
    tickAfter(600); // ten minutes: 576000 ticks, a variable-length quantity of three bytes
    keyPress(scan::Z);
    tickAfter(1);
    f9();
    const char path[] = "C:\\Users\\Musician\\Documents\\Tonvale\\Tonvale 2026-05-17 14-30-05.mid";
    EXPECT_EQ(file(path),
              (Lines{"format 1 tracks 3 division 480", "0 0 name Tonvale 2026-05-17 14-30-05", "0 0 meta 88",
                     "0 0 tempo 500000", "0 577440 end", "1 0 name Left - Program 41", "1 0 control 0xB0 0 1",
                     "1 0 control 0xB0 32 2", "1 0 program 0xC0 40", "1 0 control 0xB0 1 127",
                     "1 0 control 0xB0 64 127", "1 0 note-on 0x90 60 127", "1 480 note-off 0x80 60 127",
                     "1 577440 control 0xB0 64 0", "1 577440 control 0xB0 1 0", "1 577440 end",
                     "2 0 name Right - Program 1", "2 0 program 0xC1 0", "2 576480 note-on 0x91 60 127",
                     "2 577440 note-off 0x81 60 0", "2 577440 end"}));
}

TEST_F(TakesTest, ATakeIsSavedAfterAPauseAtTheSessionsEndAndItsStopAndAFailedSaveIsToldOnceAndTriedAgain) {
    fake::putFile("C:\\Tonvale\\tonvale.ini", ""); // a portable install: takes beside the program
    const char path[] = "C:\\Tonvale\\Takes\\Tonvale 2026-05-17 14-30-05.mid";
    f9();
    EXPECT_EQ(painted().at(1), "TextOutA null 272,38 \"REC\" 3") << "above the pedal and the chord mode";
    keyPress(scan::Q);
    keyRelease(scan::Q);
    tickAfter(2.5); // a pause
    EXPECT_EQ(file(path).at(7), "1 0 note-on 0x90 60 127");
    keyPress(scan::W);
    MainWndProc(fake::WINDOW, WM_QUERYENDSESSION, 0, 0);
    EXPECT_EQ(file(path).at(9), "1 2400 note-on 0x90 62 127");
    fake::script.diskSpace = 10;
    tickAfter(6);
    f9();
    tickAfter(6);
    const std::string told = "Take 1 cannot be saved in \"C:\\Tonvale\\Takes\". Is the disk full?\n\nTonvale keeps";
    EXPECT_EQ(fake::calls({fake::Fn::MessageBoxA}).at(0).substr(20, told.size()), told);
    EXPECT_EQ(fake::count(fake::Fn::MessageBoxA), 1u) << "told once, tried twice";
    fake::script.diskSpace = (size_t)-1;
    tickAfter(6);
    EXPECT_EQ(file(path).at(10), "1 8160 note-off 0x80 62 0") << "W, held at the stop, ended there";
    EXPECT_EQ(painted().at(0), "TextOutA null 37,38 \"TAKE 1 SAVED\" 12") << "in place of the patch, a while";
    tickAfter(3);
    EXPECT_FALSE(fake::timerRunning(TIMER_TAKES));
    f9(); // a second take started in the same second, saved as the program ends
    keyPress(scan::E);
    MainWndProc(fake::WINDOW, WM_DESTROY, 0, 0);
    EXPECT_EQ(file("C:\\Tonvale\\Takes\\Tonvale 2026-05-17 14-30-05 (2).mid").at(8), "1 0 note-off 0x80 64 0");
}

} // namespace
