// The patch-name file, the popup menus built from it and their commands.
#include "app/commands.h"
#include "app/main_window.h"
#include "devices/popup_menus.h"
#include "model/keys.h"
#include "model/midi_messages.h"
#include "model/parameters.h"
#include "model/patch_names.h"
#include "model/performance.h"
#include "tests/unit/program_test.h"
#include "tests/unit/temp_directory.h"

#include <cstring>

namespace {

const MenuItemIds MENU_IDS = {CMD_PATCH_ITEMS, CMD_CHANNEL_ITEMS, CMD_OCTAVE_ITEMS};

class PatchMenusTest : public ProgramTest {
protected:
    // Reads a file with this content and builds the menus from it.
    void build(const std::string& content) {
        directory.write("gm_ins.nms", content);
        ASSERT_TRUE(loadPatchNames());
        buildPopupMenus(MENU_IDS);
    }

    Lines patchItems() const {
        Lines items;
        for (const std::string& line : fake::calls({fake::Fn::InsertMenuItemA})) {
            if (line.rfind("InsertMenuItemA menu1 ", 0) == 0) items.push_back(line);
        }
        return items;
    }

    // Every name read, in order, quoted.
    static Lines patchTexts() {
        Lines texts;
        for (unsigned i = 0; i < g_patchNames.count; ++i)
            texts.push_back("\"" + std::string(patchName((int32_t)i)) + "\"");
        return texts;
    }

    TempDirectory directory;
};

std::string item(unsigned index, const char* type, const std::string& text) {
    return "InsertMenuItemA menu1 at " + std::to_string(index) + " size legacy mask 0x12 type " + type + " id " +
           std::to_string(1000 + index) + " \"" + text + "\"";
}

TEST_F(PatchMenusTest, AFullFileGivesFourColumnsOf32) {
    build(patchFile(128));
    const Lines items = patchItems();
    ASSERT_EQ(items.size(), 128u);
    for (unsigned i = 0; i < 128; ++i) {
        const bool headsColumn = i > 0 && i % 32 == 0;
        EXPECT_EQ(items[i], item(i, headsColumn ? "0x20" : "0x0", std::to_string(i) + " Name " + std::to_string(i)));
    }
}

TEST_F(PatchMenusTest, FortyEntriesGiveTwoColumnsAndTheRestHaveNoName) {
    build(patchFile(40));
    const Lines items = patchItems();
    ASSERT_EQ(items.size(), 40u);
    EXPECT_EQ(items[32], item(32, "0x20", "32 Name 32"));
    EXPECT_STREQ(patchName(39), "39 Name 39");
    EXPECT_STREQ(patchName(40), "");
    EXPECT_STREQ(patchName(-1), "");
}

TEST_F(PatchMenusTest, AnAmpersandIsShownNotTakenForAMnemonic) {
    build("Bass & Lead\n&\n");
    EXPECT_EQ(patchItems(), Lines({item(0, "0x0", "Bass && Lead"), item(1, "0x0", "&&")}));
    EXPECT_STREQ(patchName(0), "Bass & Lead") << "the displays show it as written";
}

TEST_F(PatchMenusTest, TheListEndsAtTheFirstEmptyLineOrTheEndOfTheFile) {
    const struct {
        const char* what;
        std::string content;
        Lines texts;
    } cases[] = {
        {"entries after an empty line", "a=1\nb=2\n\nc=3\n", {"\"a 1\"", "\"b 2\""}},
        {"an empty file", "", {}},
        {"an empty first line", "\na=1\n", {}},
        {"no final newline", "a=1\nlast", {"\"a 1\"", "\"last\""}},
        {"CR LF lines", "a=1\r\nb=2\r\n\r\nc=3\r\n", {"\"a 1\"", "\"b 2\""}},
        {"only the first = becomes a space", "x=y=z\nplain\n", {"\"x y=z\"", "\"plain\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        build(c.content);
        EXPECT_EQ(patchTexts(), c.texts);
    }
}

TEST_F(PatchMenusTest, ALongLineIsOneEntryCutTo126) {
    const std::string line125(125, 'a');
    const std::string line126(126, 'b');
    build(line125 + "\n" + line126 + "\n" + std::string(300, 'c') + "\r\nnext\n");
    EXPECT_EQ(patchTexts(),
              Lines({"\"" + line125 + "\"", "\"" + line126 + "\"", "\"" + std::string(126, 'c') + "\"", "\"next\""}))
        << "every name stays on its own program number";
}

TEST_F(PatchMenusTest, ReadAsWindowsTextModeReadsIt) {
    build(std::string(125, 'a') + "\r\nB=b\rc\r\nC\x1a"
                                  "D\n");
    EXPECT_EQ(patchTexts(), Lines({"\"" + std::string(125, 'a') + "\"", "\"B b\rc\"", "\"C\""}))
        << "CR LF is a newline wherever it falls, a lone CR a character, Ctrl-Z the end";
}

TEST_F(PatchMenusTest, AtMostAThousandPatchItems) {
    build(patchFile(1200));
    const Lines items = patchItems();
    ASSERT_EQ(items.size(), 1000u) << "more would take the ids of the channel commands";
    EXPECT_EQ(items.back(), item(999, "0x0", "999 Name 999"));
}

TEST_F(PatchMenusTest, AMissingFileIsNoTable) {
    EXPECT_FALSE(loadPatchNames());
    EXPECT_EQ(g_patchNames.count, 0u);
}

TEST_F(PatchMenusTest, ChannelAndOctaveMenus) {
    build(patchFile(1));
    Lines expected;
    for (unsigned j = 0; j < 16; ++j) {
        expected.push_back("InsertMenuItemA menu2 at " + std::to_string(j) + " size legacy mask 0x12 type 0x0 id " +
                           std::to_string(2000 + j) + " \"Channel " + std::to_string(j + 1) + "\"");
    }
    for (unsigned k = 0; k < 11; ++k) {
        expected.push_back("InsertMenuItemA menu3 at " + std::to_string(k) + " size legacy mask 0x12 type 0x0 id " +
                           std::to_string(3000 + k) + " \"Octave " + std::to_string(k) + "\"");
    }
    const Lines all = fake::calls({fake::Fn::InsertMenuItemA});
    EXPECT_EQ(Lines(all.begin() + 1, all.end()), expected);
}

TEST_F(PatchMenusTest, AChoiceSetsTheSelectedParameter) {
    build(patchFile(3));
    selectParam(0, ParamId::CHANNEL);
    fake::clearLog();
    onCommand(fake::WINDOW, CMD_CHANNEL_ITEMS + 9);
    EXPECT_EQ(g_model.sections[0].values[ParamId::CHANNEL], 9);
    EXPECT_EQ(fake::midiMessages(), Lines({"program 0xC9 0"}));
    EXPECT_EQ(fake::calls({fake::Fn::InvalidateRect}), Lines({"InvalidateRect window all FALSE"}));
}

TEST_F(PatchMenusTest, CommandRangesAreHalfOpenAndReachOnlyTheirOwnParameter) {
    build(patchFile(3));
    const struct {
        int32_t param;
        WPARAM command;
        int32_t value; // -1: unchanged
    } cases[] = {
        {ParamId::PATCH, 1127, 127},
        {ParamId::PATCH, 1128, -1},
        {ParamId::PATCH, 999, -1},
        {ParamId::CHANNEL, 2015, 15},
        {ParamId::CHANNEL, 2016, -1},
        {ParamId::OCTAVE, 3010, 10},
        {ParamId::OCTAVE, 3011, -1},
        {ParamId::PATCH, 1005 | 1 << 16, -1},
        {ParamId::PATCH, (WPARAM)1 << 32 | 1005, -1},
        {ParamId::CHANNEL, 1100, -1}, // a patch item that no menu of Channel's posted
        {ParamId::OCTAVE, 2003, -1},
        {ParamId::PATCH, 3002, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        selectParam(0, c.param);
        selectedValue() = 1;
        onCommand(fake::WINDOW, c.command);
        EXPECT_EQ(selectedValue(), c.value < 0 ? 1 : c.value);
    }
}

TEST_F(PatchMenusTest, AChosenItemArrivesAfterTheMenuCloses) {
    build(patchFile(3));
    registerMainClass(fake::INSTANCE);
    selectParam(0, ParamId::PATCH);
    fake::clearLog();
    fake::script.menuChoice = CMD_PATCH_ITEMS + 2;
    openParameterMenu(fake::WINDOW, 0, ParamId::PATCH);
    EXPECT_EQ(fake::calls({fake::Fn::TrackPopupMenuEx}),
              Lines({"TrackPopupMenuEx menu1 0x40 at 446,828 owner window null"})); // 31,82 on the screen
    EXPECT_TRUE(fake::midiMessages().empty());
    fake::dispatchPosted();
    EXPECT_EQ(fake::midiMessages(), Lines({"program 0xC0 2"}));
    EXPECT_EQ(g_model.ChannelPatchTable[0], 2);
}

TEST_F(PatchMenusTest, MenusAreDestroyedOnce) {
    build(patchFile(3));
    fake::clearLog();
    destroyPopupMenus();
    destroyPopupMenus();
    EXPECT_EQ(fake::calls(), Lines({"DestroyMenu menu1", "DestroyMenu menu3", "DestroyMenu menu2"}));
}

} // namespace
