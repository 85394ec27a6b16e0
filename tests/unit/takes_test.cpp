// Takes: what the file holds, when and where it is saved, a failed save (the recorder: tests/alloc/).
#include "port/take_recorder.h"
#include "takes/takes.h"
#include "tests/unit/key_messages.h"
#include "tests/unit/midi_file_reader.h"
#include "tests/unit/program_test.h"

#include <algorithm>
#include <cstring>

namespace {

using TakesTest = ProgramTest;

const char PORTABLE_TAKE[] = "C:\\Tonvale\\Takes\\Tonvale 2026-05-17 14-30-05.mid";

void f9() { keyPress(0x43, VK_F9); }

void tickAfter(double seconds) {
    fake::script.performanceCounter += (int64_t)(seconds * 1e7);
    MainWndProc(fake::WINDOW, WM_TIMER, TIMER_TAKES, 0);
    settleTakes();
}

// What a paint draws, the left display's first line first.
Lines painted() {
    fake::clearLog();
    MainWndProc(fake::WINDOW, WM_PAINT, 0, 0);
    return fake::calls({fake::Fn::TextOutA});
}

Lines file(const char* path) {
    settleTakes();
    return readMidiFile(fake::fileContent(path) ? *fake::fileContent(path) : "");
}

TEST_F(TakesTest, ATakeIsATrackPerChannelAfterTheTempoWithItsProgramsFirstAndNothingLeftSoundingAtTheEnd) {
    g_model.ChannelPatchTable[0] = 40;
    g_model.channelBanks[0] = ChannelBank{true, 130};
    g_model.sections[1].values[ParamId::CHANNEL] = 1;
    keyPress(scan::HOME, VK_HOME); // the modulation up before the take, at the top after 22 ticks
    for (int i = 0; i < 22; ++i) MainWndProc(fake::WINDOW, WM_TIMER, TIMER_MODULATION, 0);
    keyPress(scan::SPACE, VK_SPACE); // the pedal held and a bend away from the centre at F9: the file starts so
    g_model.bendValue = 10000;
    g_model.bentChannel = 1;
    f9();
    tickAfter(5); // left out: the silence before the first note
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
                     "1 0 control 0xB0 32 2", "1 0 program 0xC0 40", "1 0 control 0xB0 64 127",
                     "1 0 control 0xB0 1 127", "1 0 note-on 0x90 60 127", "1 480 note-off 0x80 60 127",
                     "1 577440 control 0xB0 64 0", "1 577440 control 0xB0 1 0", "1 577440 end",
                     "2 0 name Right - Program 1", "2 0 program 0xC1 0", "2 0 bend 0xE1 16 78",
                     "2 576480 note-on 0x91 60 127", "2 577440 note-off 0x81 60 0", "2 577440 bend 0xE1 0 64",
                     "2 577440 end"}));
}

TEST_F(TakesTest, AFailedSaveIsNewsWhilePlayingToldOnceThePlayerHasStoppedAndTriedAgainTheTakeKept) {
    fake::putFile("C:\\Tonvale\\tonvale.ini", ""); // a portable install: takes beside the program
    f9();
    EXPECT_EQ(painted().at(1), "TextOutA null 272,38 \"REC\" 3") << "above the pedal and the chord mode";
    keyPress(scan::Q);
    keyRelease(scan::Q);
    tickAfter(2.5); // a pause
    EXPECT_EQ(file(PORTABLE_TAKE).at(7), "1 0 note-on 0x90 60 127");
    keyPress(scan::W);
    MainWndProc(fake::WINDOW, WM_QUERYENDSESSION, 0, 0);
    EXPECT_EQ(file(PORTABLE_TAKE).at(9), "1 2400 note-on 0x90 62 127");
    keyPress(scan::E);
    fake::script.diskSpace = 10;
    tickAfter(5); // W and E held: saved 5 s after the last try all the same, and that fails
    EXPECT_EQ(painted().at(0), "TextOutA null 37,38 \"TAKE 1 NOT SAVED\" 16") << "in place of the patch";
    f9();
    tickAfter(5);
    EXPECT_EQ(fake::count(fake::Fn::MessageBoxW), 0u) << "no window while W and E sound";
    keyRelease(scan::W);
    keyRelease(scan::E);
    tickAfter(5);
    const std::string told = "MessageBoxW window \"Take 1 cannot be saved in \"C:\\Tonvale\\Takes\":\nThere is not "
                             "enough space on the disk.\n\nYes: save it in \"C:\\Users\\Musician\\AppData\\Local\\";
    EXPECT_EQ(fake::calls({fake::Fn::MessageBoxW}).at(0).substr(0, told.size()), told);
    tickAfter(5);
    EXPECT_EQ(fake::count(fake::Fn::MessageBoxW), 1u) << "told once, tried again";
    fake::script.diskSpace = (size_t)-1;
    tickAfter(5);
    EXPECT_EQ(file(PORTABLE_TAKE).at(12), "1 7200 note-off 0x80 64 0") << "E, held at the stop, ended there";
    EXPECT_EQ(painted().at(0), "TextOutA null 37,38 \"TAKE 1 SAVED\" 12");
    tickAfter(3);
    EXPECT_FALSE(fake::timerRunning(TIMER_TAKES));
    // A save that worked: the next failure is told too, and Yes keeps the take in the fallback folder.
    fake::script.deniedFolder = "C:\\Tonvale\\Takes";
    fake::script.boxAnswers[0] = IDYES;
    f9();
    keyPress(scan::T);
    keyRelease(scan::T);
    f9();
    settleTakes();
    EXPECT_EQ(fake::count(fake::Fn::MessageBoxW), 1u) << "told again since the last paint";
    EXPECT_EQ(file("C:\\Users\\Musician\\AppData\\Local\\Tonvale\\Takes\\Tonvale 2026-05-17 14-30-05.mid").at(7),
              "1 0 note-on 0x90 67 127");
}

// The program ends with a take that cannot go where it belongs: the fallback
// folder, else a place the user chooses, else the user lets it go.
TEST_F(TakesTest, AtTheEndATakeGoesToTheFallbackFolderOrWhereTheUserSaysNeverDroppedUnasked) {
    struct Case {
        const char* deniedFolder;
        int answer;
        const char *saveAsPath, *kept, *told; // kept: where the take is, or null
    };
    const Case cases[] = {
        {"C:\\Users\\Musician\\Documents", 0, nullptr, "C:\\Users\\Musician\\AppData\\Local\\Tonvale\\Takes\\",
         "Take 1 could not be saved in \"C:\\Users\\Musician\\Documents\\Tonvale\":\nAccess is denied.\n\nIt is saved"},
        {"C:\\Users", IDYES, "C:\\Tonvale\\kept.mid", "C:\\Tonvale\\kept.mid",
         "Take 1 cannot be saved in \"C:\\Users\\Musician\\Documents\\Tonvale\":\nAccess is denied.\nnor in "
         "\"C:\\Users\\Musician\\AppData\\Local\\Tonvale\\Takes\":\nThe system cannot find the path "
         "specified.\n\nYes: choose"},
        {"C:\\Users", IDNO, nullptr, nullptr, "Take 1 cannot be saved in"},
    };
    for (const Case& c : cases) {
        SetUp();
        fake::script.deniedFolder = c.deniedFolder;
        fake::script.boxAnswers[0] = c.answer;
        fake::script.saveAsPath = c.saveAsPath;
        f9();
        keyPress(scan::Q);
        MainWndProc(fake::WINDOW, WM_DESTROY, 0, 0);
        EXPECT_EQ(fake::calls({fake::Fn::MessageBoxW}).at(0).find(c.told), 18u) << c.deniedFolder;
        const Lines paths = fake::filePaths();
        ASSERT_EQ(paths.size(), c.kept ? 1u : 0u);
        if (!c.kept) continue;
        EXPECT_EQ(paths[0].substr(0, std::strlen(c.kept)), c.kept);
        EXPECT_EQ(file(paths[0].c_str()).at(7), "1 0 note-on 0x90 60 127");
    }
}

// Two chunks, the first full, read back whole (a chunk taking one more event
// writes past its end); the second made ready with no timer's tick between.
TEST_F(TakesTest, ATakeOfMoreEventsThanAChunkHoldsIsReadBackWhole) {
    registerMainClass(fake::INSTANCE); // the recorder's posted message reaches the window procedure
    f9();
    for (int i = 0; i < 2100; ++i) {
        keyPress(scan::Q + i % 2);
        keyRelease(scan::Q + i % 2);
        if (i == 2000) fake::dispatchPosted();
    }
    f9();
    const Lines lines = file("C:\\Users\\Musician\\Documents\\Tonvale\\Tonvale 2026-05-17 14-30-05.mid");
    ASSERT_EQ(lines.size(), 8u + 4200);
    EXPECT_EQ((Lines{lines[7 + 4096], lines[7 + 4199]}),
              (Lines{"1 0 note-on 0x90 60 127", "1 0 note-off 0x80 62 127"}))
        << "the second chunk's first event, and the last";
}

} // namespace
