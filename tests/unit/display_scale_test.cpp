// The panel at a display scale other than 100 %: the conversion between the
// window's pixels and the panel's units, and what start-up, painting, a
// press and a change of monitor do with it.
#include "app/main_window.h"
#include "display/paint_panel.h"
#include "display/panel.h"
#include "display/panel_scale.h"
#include "input/mouse_input.h"
#include "model/parameters.h"
#include "model/performance.h"
#include "tests/unit/program_test.h"
#include "tests/unit/temp_directory.h"

#include <string>

namespace {

using fake::Fn;

TEST(PanelScale, AWindowPixelIsInTheUnitItsCentreIsIn) {
    const struct {
        int32_t dpi;
        POINT pixel, unit;
    } cases[] = {
        {96, {98, 85}, {98, 85}},    {96, {-1, -30}, {-1, -30}}, {192, {196, 170}, {98, 85}},
        {192, {197, 171}, {98, 85}}, {192, {-1, -2}, {-1, -1}},  {144, {1, 2}, {1, 1}},
        {144, {0, 3}, {0, 2}},       {120, {100, 50}, {80, 40}}, {288, {2, 3}, {0, 1}},
    };
    for (const auto& c : cases) {
        const POINT unit = toPanel(c.pixel, c.dpi);
        EXPECT_EQ(unit.x, c.unit.x) << c.dpi << " dpi, pixel " << c.pixel.x;
        EXPECT_EQ(unit.y, c.unit.y) << c.dpi << " dpi, pixel " << c.pixel.y;
    }
}

TEST(PanelScale, EachUnitsFirstPixelIsInThatUnit) {
    for (int32_t dpi : {96, 120, 144, 168, 192, 240, 288})
        for (int32_t unit = -5; unit <= 805; ++unit) {
            ASSERT_EQ(toPanel({toPixels(unit, dpi), 0}, dpi).x, unit) << dpi << " dpi";
            ASSERT_EQ(toPanel({toPixels(unit + 1, dpi) - 1, 0}, dpi).x, unit) << dpi << " dpi, its last pixel";
        }
}

// The program started on a monitor of a scale, as WinMain starts it.
class ScaledTest : public ::testing::Test {
protected:
    void start(int dpi, bool perWindow = true) {
        fake::reset();
        resetProgramState();
        directory.write("gm_ins.nms", "1=Piano\n\n");
        fake::script.dpi = dpi;
        fake::script.dpiPerWindow = perWindow;
        fake::script.workArea = {0, 0, 2560, 1600};
        registerMainClass(fake::INSTANCE);
        ASSERT_TRUE(createMainWindow(fake::INSTANCE, SW_SHOWDEFAULT));
    }

    static Lines drawing() {
        fake::clearLog();
        paintPanel((HDC)fake::WINDOW);
        return fake::calls({Fn::BitBlt, Fn::TextOutA, Fn::MoveToEx});
    }

    TempDirectory directory;
};

TEST_F(ScaledTest, TheWindowTakesTheSizeAndPlaceOfItsScaleBeforeItIsShown) {
    const struct {
        int dpi;
        bool perWindow;
        const char* place;
    } cases[] = {
        {144, true, "SetWindowPos window at 622,1119 size 1200x375 flags 0x14"},
        {192, true, "SetWindowPos window at 830,1100 size 1600x500 flags 0x14"},  // moved up onto the screen
        {192, false, "SetWindowPos window at 830,1100 size 1600x500 flags 0x14"}, // one scale for the whole screen
    };
    for (const auto& c : cases) {
        start(c.dpi, c.perWindow);
        EXPECT_EQ(fake::calls({Fn::SetWindowPos, Fn::ShowWindow}), Lines({c.place, "ShowWindow window 10"}));
    }
    start(96);
    EXPECT_EQ(fake::count(Fn::SetWindowPos), 0u) << "at 100 % it is made at its size and place";
}

TEST_F(ScaledTest, At200PercentTheDoubleArtworkAndAFontOfTheScaleDrawEverythingAtTwiceTheSize) {
    start(192);
    EXPECT_EQ(fake::calls({Fn::LoadBitmapA, Fn::CreateCompatibleBitmap, Fn::CreateFontIndirectA, Fn::StretchBlt}),
              Lines({"LoadBitmapA instance MAINBMP2X", "CreateCompatibleBitmap windowDC 1600x500 -> bitmap1",
                     "CreateFontIndirectA height -22 \"MS Shell Dlg\" -> font1"}))
        << "drawn for the scale, never stretched";
    const Lines drawn = drawing();
    EXPECT_EQ(drawn.front(), "BitBlt dc2 0,0 1600x500 from dc1 0,0");
    EXPECT_EQ(drawn.back(), "BitBlt window 0,0 1600x500 from dc2 0,0");
    EXPECT_EQ(drawn[1], "TextOutA dc2 74,76 \"PATCH: 1 PIANO\" 14");
    EXPECT_EQ(fake::calls({Fn::MoveToEx}), Lines({"MoveToEx dc2 780,366", "MoveToEx dc2 780,367"}))
        << "the wheel line two rows thick";
    const Lines keys = fake::calls({Fn::BitBlt});
    EXPECT_EQ(keys[1], "BitBlt dc2 78,248 68x252 from dc1 78,248") << "the first white key";
}

TEST_F(ScaledTest, At150PercentTheDoubleArtworkIsScaledDownOnceWithAnAveragingFilter) {
    start(144);
    EXPECT_EQ(fake::calls({Fn::LoadBitmapA, Fn::SetStretchBltMode, Fn::StretchBlt, Fn::CreateFontIndirectA}),
              Lines({"LoadBitmapA instance MAINBMP2X", "SetStretchBltMode dc4 4 0",
                     "StretchBlt dc4 0,0 1200x375 from dc3 1600x500",
                     "CreateFontIndirectA height -16 \"MS Shell Dlg\" -> font1"}));
    EXPECT_EQ(fake::count(Fn::StretchBlt), 1u);
    drawing();
    EXPECT_EQ(fake::count(Fn::StretchBlt), 0u) << "painting copies, never stretches";
}

TEST_F(ScaledTest, At200PercentAPressOnChanWhereItIsDrawnOpensTheChannelMenuThere) {
    start(192);
    g_model.sections[0].selectedParam = ParamId::PATCH;
    fake::clearLog();
    MainWndProc(fake::WINDOW, WM_LBUTTONDOWN, 0, fake::pointData(2 * 98 + 1, 2 * 85 + 1));
    EXPECT_EQ(g_model.sections[0].selectedParam, ParamId::CHANNEL);
    EXPECT_EQ(fake::calls({Fn::TrackPopupMenuEx}), Lines({"TrackPopupMenuEx menu2 0x40 at 569,910 owner window null"}))
        << "the menu at the button's scaled corner (154, 164) on the screen";
}

TEST_F(ScaledTest, MovedToAMonitorOfAnotherScaleThePanelIsMadeAgainForItAndTakesTheSuggestedPlace) {
    start(96);
    fake::clearLog();
    RECT suggested = {400, 300, 2000, 800};
    MainWndProc(fake::WINDOW, WM_DPICHANGED, 192 | 192 << 16, (LPARAM)&suggested);
    EXPECT_EQ(g_panel.dpi, 192);
    EXPECT_EQ(
        fake::calls({Fn::DeleteDC, Fn::LoadBitmapA, Fn::CreateCompatibleBitmap, Fn::SetWindowPos, Fn::InvalidateRect}),
        Lines({"DeleteDC dc1", "DeleteDC dc2", "LoadBitmapA instance MAINBMP2X",
               "CreateCompatibleBitmap windowDC 1600x500 -> bitmap2",
               "SetWindowPos window at 400,300 size 1600x500 flags 0x14", "InvalidateRect window all FALSE"}));
}

} // namespace
