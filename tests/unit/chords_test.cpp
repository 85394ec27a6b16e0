// Chord mode: the shapes, Ctrl and Caps Lock, the section's previous chord
// let go at each press, a release that ends what its press started, the
// strum and the latch.
#include "model/chords.h"
#include "model/keys.h"
#include "model/parameters.h"
#include "model/performance.h"
#include "tests/unit/key_messages.h"
#include "tests/unit/program_test.h"

namespace {

class ChordsTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        g_model.sections[0].values[ParamId::CHORD] = 1;
        g_model.sections[1].values[ParamId::CHORD] = 1;
        registerMainClass(fake::INSTANCE); // a strum's posted messages reach the window procedure
        fake::clearLog();
    }
};

// The note indices a key's chord is made of, as flags would show them.
std::vector<int> heldKeys(int s) {
    std::vector<int> held;
    for (int k = 0; k < KEY_COUNT; ++k) {
        if (g_model.sections[s].keyDown[k]) held.push_back(k);
    }
    return held;
}

const Lines MINOR_ON_KEY_0_OFF = {"note-off 0x80 60 127", "note-off 0x80 63 127", "note-off 0x80 67 127"};

struct ChordCase {
    int32_t root;
    int32_t type;
    bool minor; // Ctrl held
    bool capsFold;
    std::vector<int32_t> notes; // lowest first
};

// Every type's intervals, Ctrl's minor third, and the fold.
const ChordCase CHORD_CASES[] = {
    {0, ChordType::OFF, 0, 0, {}},          {0, ChordType::MAJOR, 0, 0, {0, 4, 7}},
    {0, ChordType::MINOR, 0, 0, {0, 3, 7}}, {0, ChordType::SEVENTH, 0, 0, {0, 4, 7, 10}},
    {0, ChordType::MAJOR_SEVENTH, 0, 0, {0, 4, 7, 11}}, {0, ChordType::MINOR_SEVENTH, 0, 0, {0, 3, 7, 10}},
    {0, ChordType::SUS2, 0, 0, {0, 2, 7}},  {0, ChordType::SUS4, 0, 0, {0, 5, 7}},
    {0, ChordType::DIMINISHED, 0, 0, {0, 3, 6}}, {0, ChordType::AUGMENTED, 0, 0, {0, 4, 8}},
    {0, ChordType::MAJOR, 1, 0, {0, 3, 7}}, {0, ChordType::SEVENTH, 1, 0, {0, 3, 7, 10}},
    {0, ChordType::MAJOR_SEVENTH, 1, 0, {0, 3, 7, 11}}, {0, ChordType::MINOR, 1, 0, {0, 3, 7}},
    {0, ChordType::SUS4, 1, 0, {0, 5, 7}},  {0, ChordType::AUGMENTED, 1, 0, {0, 4, 8}},
    {16, ChordType::MAJOR, 0, 0, {16, 20, 23}}, {16, ChordType::MAJOR, 0, 1, {4, 8, 11}},
    {9, ChordType::MAJOR, 0, 1, {1, 4, 9}}, {11, ChordType::MINOR, 0, 1, {2, 6, 11}},
    {24, ChordType::MINOR, 0, 1, {0, 3, 7}}, // Single's upper row folds as far down
    {10, ChordType::SEVENTH, 1, 1, {1, 5, 8, 10}},
};

TEST_F(ChordsTest, EachTypeWithAndWithoutCtrlAndTheFoldLowestFirst) {
    for (const ChordCase& c : CHORD_CASES) {
        int32_t offsets[MAX_VOICES] = {};
        const int32_t count = chordOffsets(c.root, c.type, c.minor, c.capsFold, offsets);
        EXPECT_EQ(std::vector<int32_t>(offsets, offsets + count), c.notes)
            << "root " << c.root << " type " << c.type << " minor " << c.minor << " fold " << c.capsFold;
    }
}

TEST_F(ChordsTest, FirstChordSendsOnlyItsOwnNotes) {
    keyPress(scan::Q);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 60 127", "note-on 0x90 64 127", "note-on 0x90 67 127"}));
    EXPECT_EQ(heldKeys(0), std::vector<int>({0, 4, 7}));
}

TEST_F(ChordsTest, CtrlMakesItMinor) {
    holdControl(true);
    keyPress(scan::Q);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 60 127", "note-on 0x90 63 127", "note-on 0x90 67 127"}));

    fake::clearLog();
    holdControl(false); // the release keeps the quality of its press
    keyRelease(scan::Q);
    EXPECT_EQ(fake::midiMessages(), MINOR_ON_KEY_0_OFF);
}

TEST_F(ChordsTest, CapsLockFoldsIntoTheLowestOctave) {
    setCapsLock(true);
    keyPress(scan::P); // key 16, major
    EXPECT_EQ(heldKeys(0), std::vector<int>({4, 8, 11}));
    fake::clearLog();
    keyPress(scan::Y); // key 9, major; lets go of key 16's chord first
    EXPECT_EQ(fake::midiMessages(), Lines({"note-off 0x80 64 127", "note-off 0x80 68 127", "note-off 0x80 71 127",
                                           "note-on 0x90 61 127", "note-on 0x90 64 127", "note-on 0x90 69 127"}));
    EXPECT_EQ(heldKeys(0), std::vector<int>({1, 4, 9}));
}

TEST_F(ChordsTest, WithoutTheFoldOnlyIndicesUpTo16HaveFlags) {
    keyPress(scan::P);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 76 127", "note-on 0x90 80 127", "note-on 0x90 83 127"}));
    EXPECT_EQ(heldKeys(0), std::vector<int>({16}));
    fake::clearLog();
    keyRelease(scan::P);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-off 0x80 76 127", "note-off 0x80 80 127", "note-off 0x80 83 127"}));
    EXPECT_TRUE(heldKeys(0).empty());
}

TEST_F(ChordsTest, LegatoRestrikesCommonNotesAndTheOldReleaseEndsNothingMore) {
    keyPress(scan::Q); // A: major on key 0
    fake::clearLog();
    keyPress(scan::T); // B: major on key 7
    EXPECT_EQ(fake::midiMessages(), Lines({"note-off 0x80 60 127", "note-off 0x80 64 127", "note-off 0x80 67 127",
                                           "note-on 0x90 67 127", "note-on 0x90 71 127", "note-on 0x90 74 127"}));
    fake::clearLog();
    keyRelease(scan::Q); // its notes ended at B's press
    EXPECT_TRUE(fake::midiMessages().empty());
    EXPECT_EQ(heldKeys(0), std::vector<int>({7, 11, 14}));
    fake::clearLog();
    keyRelease(scan::T);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-off 0x80 67 127", "note-off 0x80 71 127", "note-off 0x80 74 127"}));
    EXPECT_TRUE(heldKeys(0).empty());
}

TEST_F(ChordsTest, ReleasingTheNewerKeyFirst) {
    keyPress(scan::Q);
    keyPress(scan::T);
    fake::clearLog();
    keyRelease(scan::T);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-off 0x80 67 127", "note-off 0x80 71 127", "note-off 0x80 74 127"}));
    EXPECT_EQ(g_model.sections[0].lastChordKey, (int32_t)scan::T) << "a release leaves it";
    fake::clearLog();
    keyRelease(scan::Q);
    EXPECT_TRUE(fake::midiMessages().empty());
}

TEST_F(ChordsTest, EachSectionEndsOnlyItsOwnChordAndANoteBothHoldSoundsOnce) {
    keyPress(scan::Q); // section 0, key 0, major, on the channel both share
    fake::clearLog();
    keyPress(scan::C); // section 1, key 4, major: 64 sounds already
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 68 127", "note-on 0x90 71 127"}));
    EXPECT_EQ(heldKeys(0), std::vector<int>({0, 4, 7})) << "section 0's chord keeps sounding";

    fake::clearLog();
    keyRelease(scan::Q);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-off 0x80 60 127", "note-off 0x80 67 127"}));
    fake::clearLog();
    keyRelease(scan::C);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-off 0x80 64 127", "note-off 0x80 68 127", "note-off 0x80 71 127"}));
}

TEST_F(ChordsTest, TheReleaseEndsWhatThePressStartedWhateverChangedMeanwhile) {
    keyPress(scan::P); // unfolded: 76, 80, 83
    setCapsLock(true);
    g_model.sections[0].values[ParamId::OCTAVE] = 4;
    g_model.sections[0].values[ParamId::CHORD] = 0;
    fake::clearLog();
    keyRelease(scan::P);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-off 0x80 76 127", "note-off 0x80 80 127", "note-off 0x80 83 127"}));
    EXPECT_TRUE(heldKeys(0).empty());
}

TEST_F(ChordsTest, ChordNotesAbove127AreNotSent) {
    g_model.sections[0].values[ParamId::OCTAVE] = 10;
    keyPress(scan::T); // key 7: notes 127, 131, 134
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 127 127"}));
    EXPECT_EQ(heldKeys(0), std::vector<int>({7, 11, 14}));
}

TEST_F(ChordsTest, FlagsChangeEvenWhenTheDeviceRefuses) {
    fake::script.shortMessageResult = MMSYSERR_NOMEM;
    keyPress(scan::E);
    EXPECT_EQ(heldKeys(0), std::vector<int>({4, 8, 11}));
    EXPECT_EQ(fake::count(fake::Fn::midiOutShortMsg), 3u);
}

// A one-shot fired and its message delivered: the clock (10 MHz) then
// stands at the note's time.
int64_t fireStrum() {
    fake::fireNextTimeEvent();
    fake::dispatchPosted();
    return fake::script.performanceCounter;
}

TEST_F(ChordsTest, AStrumStartsTheNotesLowestFirstThatFarApartAndAReleaseStartsNoMore) {
    g_model.sections[0].values[ParamId::CHORD] = ChordType::SEVENTH;
    g_model.sections[0].strumMs = 25;
    keyPress(scan::Q);
    EXPECT_EQ(fake::midiMessages().size(), 1u) << "the lowest at once";
    EXPECT_EQ(fireStrum(), 250000);
    EXPECT_EQ(fireStrum(), 500000);
    keyRelease(scan::Q);
    EXPECT_EQ(fake::timeEventsPending(), 0u) << "the seventh never comes";
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 60 127", "note-on 0x90 64 127", "note-on 0x90 67 127",
                                           "note-off 0x80 60 127", "note-off 0x80 64 127", "note-off 0x80 67 127"}));
    fake::clearLog();
    fake::script.timeSetEventFails = true; // no timer to be had: the chord at once
    keyPress(scan::Q);
    EXPECT_EQ(fake::midiMessages().size(), 4u);
}

TEST_F(ChordsTest, ALatchedChordAndItsStrumGoOnAfterTheKeyUntilTheChannelChanges) {
    g_model.sections[0].latch = true;
    g_model.sections[0].strumMs = 10;
    keyPress(scan::Q);
    keyRelease(scan::Q);
    fireStrum();
    fireStrum();
    selectParam(0, ParamId::CHANNEL);
    stepSelectedUp(0);
    EXPECT_EQ(fake::midiMessages(), Lines({"note-on 0x90 60 127", "note-on 0x90 64 127", "note-on 0x90 67 127",
                                           "note-off 0x80 60 127", "note-off 0x80 64 127", "note-off 0x80 67 127",
                                           "program 0xC1 0"}));
}

} // namespace
