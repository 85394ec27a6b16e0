// Painting the panel: one full recomposition into the back buffer per
// paint, the display lines, the wheel line, the keys, the lamps, the knob,
// and one copy to the window.
#include "display/knob_indicator.h"
#include "display/paint_panel.h"
#include "display/panel.h"
#include "model/key_map.h"
#include "model/keys.h"
#include "model/midi_messages.h"
#include "model/parameters.h"
#include "model/patch_names.h"
#include "model/performance.h"
#include "tests/unit/program_test.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using fake::Fn;

// Handles as the fake labels them: dc1 holds the artwork, dc2 is the back
// buffer, paintDC the window's paint DC.
class PaintTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        createPanelSurfaces(fake::WINDOW);
        addPatchName(0, "Acoustic Grand");
        target = BeginPaint(fake::WINDOW, &paint);
        fake::clearLog();
    }

    // A name as the patch-name file would give it.
    static void addPatchName(int32_t program, const char* text) {
        std::snprintf(g_patchNames.names[program], sizeof g_patchNames.names[program], "%s", text);
        if ((unsigned)program >= g_patchNames.count) g_patchNames.count = (unsigned)program + 1;
    }

    // The displays' texts; with labels, the key labels' text alone.
    Lines paintedTexts(bool labels = false) {
        paintPanel(target);
        Lines texts;
        for (const std::string& line : fake::calls({Fn::TextOutA})) {
            const size_t quote = line.find('"');
            const bool label = line.find(",103 ") != std::string::npos;
            if (label == labels) texts.push_back(labels ? line.substr(quote + 1, line.rfind('"') - quote - 1) : line);
        }
        return texts;
    }

    Lines paintedKeys() {
        paintPanel(target);
        Lines keys;
        for (const std::string& line : fake::calls({Fn::BitBlt})) {
            if (line.find(" from dc1 39,124") != std::string::npos ||
                line.find(" from dc1 73,124") != std::string::npos ||
                line.find(" from dc1 107,124") != std::string::npos ||
                line.find(" from dc1 141,124") != std::string::npos) {
                keys.push_back(line);
            }
        }
        return keys;
    }

    PAINTSTRUCT paint;
    HDC target = nullptr;
};

TEST_F(PaintTest, TheStartStateShowsBothDisplaysEveryKeyUpAndIsCopiedToTheWindowOnce) {
    EXPECT_EQ(paintedTexts(), Lines({
                                  "TextOutA dc2 37,38 \"PATCH: ACOUSTIC GRAND\" 21",
                                  "TextOutA dc2 37,52 \"CHAN  : 01   OCT: 05   VOL: 127   TRANSP: 00\" 44",
                                  "TextOutA dc2 272,64 \"OFF\" 3",
                                  "TextOutA dc2 37,64 \"---<>---\" 8",
                                  "TextOutA dc2 504,38 \"PATCH: ACOUSTIC GRAND\" 21",
                                  "TextOutA dc2 504,52 \"CHAN  : 01   OCT: 05   VOL: 127   TRANSP: 00\" 44",
                                  "TextOutA dc2 739,64 \"OFF\" 3",
                                  "TextOutA dc2 504,64 \"---<>---\" 8",
                              }));
    const Lines blits = fake::calls({Fn::BitBlt});
    EXPECT_EQ(blits.front(), "BitBlt dc2 0,0 800x250 from dc1 0,0") << "the artwork under everything";
    EXPECT_EQ(blits.back(), "BitBlt paintDC 0,0 800x250 from dc2 0,0") << "the window sees only the whole panel";
    EXPECT_EQ(
        std::count_if(blits.begin(), blits.end(), [](const std::string& b) { return b.find("paintDC") != b.npos; }), 1);
    fake::clearLog();
    for (const std::string& key : paintedKeys()) {
        EXPECT_TRUE(key.find("from dc1 39,124") != key.npos || key.find("from dc1 107,124") != key.npos) << key;
    }
}

TEST_F(PaintTest, TheLabelsNameTheKeysThatPlayEachBedAndTheKeyMarkedToLearn) {
    const auto labels = [this] {
        std::string text;
        for (const std::string& label : paintedTexts(true)) text += label;
        fake::clearLog();
        return text;
    };
    EXPECT_EQ(labels(), "Q2W3ER5T6Y7UI9O0P"
                        "ZSXDCVGBHNJM,L.;/");
    useKeyLayout(KEYS_SINGLE);
    EXPECT_EQ(labels(), "ZSXDCVGBHNJM,L.;/"
                        "Q2W3ER5T6Y7UI9O0P");
    markKeyToLearn(1, 2);
    EXPECT_EQ(labels(), "ZSXDCVGBHNJM,L.;/"
                        "Q2?3ER5T6Y7UI9O0P");
    cancelLearning();
    KeyBinding custom[KEY_ID_COUNT] = {};
    custom[KEY_EXTENDED | 0x35] = KeyBinding{PLAYS_LEFT, 1};
    restoreKeyMap(KEYS_CUSTOM, custom);
    EXPECT_EQ(labels(), "Num /") << "an extended key's name is the system's for it";
}

TEST_F(PaintTest, ThePenItReplacedIsSelectedBackAndItsOwnPenDeleted) {
    paintPanel(target);
    paintPanel(target);
    std::vector<intptr_t> created, kept, restored, deleted;
    for (size_t i = 0; i < fake::callCount(); ++i) {
        const fake::Call& call = fake::call(i);
        if (call.fn == Fn::CreatePen) created.push_back(call.result);
        if (call.fn == Fn::SelectObject && !created.empty() && call.args[1] == created.back())
            kept.push_back(call.result);
        if (call.fn == Fn::SelectObject && !kept.empty() && call.args[1] == kept.back())
            restored.push_back(call.args[1]);
        if (call.fn == Fn::DeleteObject) deleted.push_back(call.args[0]);
    }
    ASSERT_EQ(created.size(), 2u) << "one pen per paint";
    EXPECT_NE(created[0], created[1]);
    EXPECT_EQ(kept.size(), 2u);
    EXPECT_EQ(restored, kept);
    EXPECT_EQ(deleted, created);
}

TEST_F(PaintTest, PercussionChannelShowsItsOwnTextWhateverTheProgram) {
    g_model.sections[1].values[ParamId::CHANNEL] = PERCUSSION_CHANNEL;
    g_model.ChannelPatchTable[PERCUSSION_CHANNEL] = 0;
    EXPECT_EQ(paintedTexts(), Lines({
                                  "TextOutA dc2 37,38 \"PATCH: ACOUSTIC GRAND\" 21",
                                  "TextOutA dc2 37,52 \"CHAN  : 01   OCT: 05   VOL: 127   TRANSP: 00\" 44",
                                  "TextOutA dc2 272,64 \"OFF\" 3",
                                  "TextOutA dc2 37,64 \"---<>---\" 8",
                                  "TextOutA dc2 504,38 \"PATCH: NONE - PERCUSSION CHANNEL\" 32",
                                  "TextOutA dc2 504,52 \"CHAN  : 10   OCT: 05   VOL: 127   TRANSP: 00\" 44",
                                  "TextOutA dc2 739,64 \"OFF\" 3",
                                  "TextOutA dc2 504,64 \"---<>---\" 8",
                              }));
}

TEST_F(PaintTest, DisplaysShowTheValuesChordStateAndSelection) {
    KeyboardSection& left = g_model.sections[0];
    left.values[ParamId::CHANNEL] = 15;
    left.values[ParamId::OCTAVE] = 10;
    left.values[ParamId::VOLUME] = 0;
    left.values[ParamId::TRANSPOSE] = 11;
    left.values[ParamId::CHORD] = 1;
    left.selectedParam = ParamId::VOLUME;
    g_model.sections[1].selectedParam = ParamId::CHORD;
    g_model.sections[1].values[ParamId::VOLUME] = 9;
    g_model.sections[1].values[ParamId::CHORD] = ChordType::MAJOR_SEVENTH;
    g_model.sections[1].latch = true;
    const Lines texts = paintedTexts();
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[1], "TextOutA dc2 37,52 \"CHAN  : 16   OCT: 10   VOL: 000   TRANSP: 11\" 44");
    EXPECT_EQ(texts[2], "TextOutA dc2 272,64 \"MAJ\" 3");
    EXPECT_EQ(texts[3], "TextOutA dc2 175,64 \"---<>---\" 8"); // 32 + 5 + 3 * 46
    EXPECT_EQ(texts[5], "TextOutA dc2 504,52 \"CHAN  : 01   OCT: 05   VOL: 009   TRANSP: 00\" 44");
    EXPECT_EQ(texts[6], "TextOutA dc2 739,64 \"MAJ7\" 4");
    EXPECT_EQ(texts[7], "TextOutA dc2 736,64 \"---<>---\" 8"); // ending short of the chord type
    // The latch: the chord type in the display's ground on dark, once.
    EXPECT_EQ(fake::calls({Fn::SetBkColor}), Lines({"SetBkColor dc2 RGB(52,57,55)"}));
}

TEST_F(PaintTest, TheSustainPedalShowsInTheDisplayOfTheSectionItWentDownIn) {
    switchActiveSection();
    pressSustain();
    switchActiveSection();
    fake::clearLog();
    EXPECT_EQ(paintedTexts().back(), "TextOutA dc2 739,52 \"PED\" 3"); // above the chord state
}

TEST_F(PaintTest, ThePatchShownIsTheOneRememberedForTheChannel) {
    addPatchName(5, "bright piano");
    g_model.sections[0].values[ParamId::CHANNEL] = 3;
    g_model.sections[1].values[ParamId::CHANNEL] = 3;
    g_model.ChannelPatchTable[3] = 5;
    const Lines texts = paintedTexts();
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[0], "TextOutA dc2 37,38 \"PATCH: BRIGHT PIANO\" 19");
    EXPECT_EQ(texts[4], "TextOutA dc2 504,38 \"PATCH: BRIGHT PIANO\" 19");

    fake::clearLog();
    g_model.ChannelPatchTable[3] = 77; // no name in the menu
    EXPECT_EQ(paintedTexts()[0], "TextOutA dc2 37,38 \"PATCH: \" 7");
}

// "PATCH: " and the break leave room for 119 characters of name in the
// 128-character line; longer names are cut and nothing is written past it.
TEST_F(PaintTest, LongNamesAreCutToTheLine) {
    struct Case {
        size_t nameLength;
        int drawnLength;
    };
    const Case cases[] = {{119, 126}, {120, 127}, {121, 127}, {127, 127}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nameLength);
        fake::reset();
        const std::string name(c.nameLength, 'N');
        addPatchName(0, name.c_str());
        fake::clearLog();
        paintPanel(target);
        ASSERT_GE(fake::callCount(), 8u);
        const fake::Call* line = nullptr;
        for (size_t i = 0; i < fake::callCount() && !line; ++i) {
            if (fake::call(i).fn == Fn::TextOutA) line = &fake::call(i);
        }
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->args[3], c.drawnLength);
        EXPECT_EQ(std::string(line->text), ("PATCH: " + name).substr(0, (size_t)c.drawnLength));
    }
}

TEST_F(PaintTest, WheelLineFollowsTheBend) {
    struct Case {
        int32_t bend;
        int y;
    };
    // The row is 241 less 114 * bend / 16383, rounded up.
    const Case cases[] = {{0, 241}, {1, 240}, {143, 240}, {144, 239}, {8192, 183}, {16382, 127}, {16383, 127}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bend);
        g_model.bendValue = c.bend;
        fake::clearLog();
        paintPanel(target);
        const std::string y = std::to_string(c.y);
        EXPECT_EQ(fake::calls({Fn::MoveToEx, Fn::LineTo}), Lines({"MoveToEx dc2 390," + y, "LineTo dc2 411," + y}));
    }
}

TEST_F(PaintTest, HeldKeysUseThePressedSprites) {
    g_model.sections[0].keyDown[0] = 1;
    g_model.sections[0].keyDown[1] = 255; // any non-zero flag
    g_model.sections[1].keyDown[15] = 1;
    g_model.sections[1].keyDown[16] = 2;
    const Lines keys = paintedKeys();
    ASSERT_EQ(keys.size(), 2u * KEY_COUNT);
    int pressed = 0;
    for (const std::string& key : keys)
        pressed +=
            key.find("from dc1 73,124") != std::string::npos || key.find("from dc1 141,124") != std::string::npos;
    EXPECT_EQ(pressed, 4);
    EXPECT_EQ(keys[0], "BitBlt dc2 39,124 34x126 from dc1 73,124");   // section 0, key 0
    EXPECT_EQ(keys[10], "BitBlt dc2 63,124 21x90 from dc1 141,124");  // section 0, key 1
    EXPECT_EQ(keys[26], "BitBlt dc2 729,124 34x126 from dc1 73,124"); // section 1, key 16
    EXPECT_EQ(keys[33], "BitBlt dc2 719,124 21x90 from dc1 141,124"); // section 1, key 15
}

TEST_F(PaintTest, SectionOneActiveExchangesTheLampsBeforeTheKnob) {
    g_model.activeSection = 1;
    paintPanel(target);
    const Lines blits = fake::calls({Fn::BitBlt});
    ASSERT_EQ(blits.size(), 1u + 2u * KEY_COUNT + 2u + 2u + 1u);
    EXPECT_EQ(Lines(blits.end() - 5, blits.end()), Lines({
                                                       "BitBlt dc2 477,82 15x15 from dc1 316,82",
                                                       "BitBlt dc2 316,82 15x15 from dc1 477,82",
                                                       "BitBlt dc2 376,67 18x17 from dc1 401,54",
                                                       "BitBlt dc2 377,66 18x17 from dc1 376,67",
                                                       "BitBlt paintDC 0,0 800x250 from dc2 0,0",
                                                   }));
}

TEST_F(PaintTest, KnobDotIsDrawnWhereTheIndicatorStands) {
    g_model.ChannelPatchTable[0] = 64;
    paintPanel(target);
    const Lines blits = fake::calls({Fn::BitBlt});
    ASSERT_GE(blits.size(), 2u);
    EXPECT_EQ(blits[blits.size() - 2], "BitBlt dc2 392,20 18x17 from dc1 376,67");
}

TEST_F(PaintTest, PaintingChangesNoState) {
    g_model.sections[0].keyDown[3] = 1;
    g_model.activeSection = 1;
    g_model.bendValue = 100;
    KeyboardSection before[SECTION_COUNT];
    std::memcpy(before, g_model.sections, sizeof before);
    int32_t patches[CHANNEL_COUNT];
    std::memcpy(patches, g_model.ChannelPatchTable, sizeof patches);
    paintPanel(target);
    EXPECT_EQ(std::memcmp(before, g_model.sections, sizeof before), 0);
    EXPECT_EQ(std::memcmp(patches, g_model.ChannelPatchTable, sizeof patches), 0);
    EXPECT_EQ(g_model.activeSection, 1);
    EXPECT_EQ(g_model.bendValue, 100);
    EXPECT_TRUE(fake::midiMessages().empty());
    EXPECT_TRUE(fake::calls({Fn::InvalidateRect}).empty());
}

} // namespace
