// The committed resource files, read as the program and the build take them:
// the panel artwork with the areas painting copies, the hand cursor, the
// icon, and the patch-name file.
#include "display/knob_indicator.h"
#include "display/panel.h"
#include "display/panel_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<uint8_t> readResource(const char* name) {
    std::ifstream file(std::string(TONVALE_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t le32(const std::vector<uint8_t>& b, size_t at) { return le16(b, at) | le16(b, at + 2) << 16; }

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "RGB(" << c.r << ", " << c.g << ", " << c.b << ")";
}

double luma(const Rgb& c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

// Relative luminance of an sRGB colour, for contrast ratios.
double luminance(const Rgb& c) {
    auto linear = [](int v) {
        double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

double contrast(const Rgb& a, const Rgb& b) {
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

constexpr size_t BMP_HEADERS = 14 + 40;
constexpr size_t BMP_STRIDE = PANEL_WIDTH * 3; // 2400, already a multiple of 4

const std::vector<uint8_t>& panelFile() {
    static const std::vector<uint8_t> bytes = readResource("panel.bmp");
    return bytes;
}

// A pixel of a 24-bit bitmap of the panel drawn at scale (rows are stored
// bottom-up, each a multiple of 4 bytes already).
Rgb pixelAt(const std::vector<uint8_t>& b, int scale, int x, int y) {
    size_t at = BMP_HEADERS + size_t(PANEL_HEIGHT * scale - 1 - y) * BMP_STRIDE * scale + size_t(x) * 3;
    return {b[at + 2], b[at + 1], b[at]};
}

// A pixel of the artwork in panel coordinates.
Rgb pixel(int x, int y) { return pixelAt(panelFile(), 1, x, y); }

double meanLuma(int left, int top, int width, int height) {
    double sum = 0;
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) sum += luma(pixel(x, y));
    return sum / (width * height);
}

double meanLuma(const SpriteArea& a) { return meanLuma(a.left, a.top, a.width, a.height); }

// The pixels of an area that differ from colour, as "x,y".
std::vector<std::string> pixelsNotOf(int left, int top, int width, int height, Rgb colour) {
    std::vector<std::string> odd;
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x)
            if (pixel(x, y) != colour) odd.push_back(std::to_string(x) + "," + std::to_string(y));
    return odd;
}

class PanelArtwork : public ::testing::Test {
protected:
    void SetUp() override {
        // Every other check reads pixels: stop here if the file is not an
        // uncompressed bottom-up 24-bit bitmap of the panel's size.
        const std::vector<uint8_t>& b = panelFile();
        ASSERT_EQ(b.size(), BMP_HEADERS + BMP_STRIDE * PANEL_HEIGHT);
        ASSERT_EQ(le32(b, 10), BMP_HEADERS);
        ASSERT_EQ(le32(b, 14), 40u);
        ASSERT_EQ(int32_t(le32(b, 18)), PANEL_WIDTH);
        ASSERT_EQ(int32_t(le32(b, 22)), PANEL_HEIGHT);
        ASSERT_EQ(le16(b, 28), 24u);
        ASSERT_EQ(le32(b, 30), 0u);
    }
};

TEST_F(PanelArtwork, IsAnUncompressedBottomUp24BitBitmapOfThePanelsSize) {
    const std::vector<uint8_t>& b = panelFile();
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), b.size()); // file size
    EXPECT_EQ(le16(b, 26), 1u);      // planes
    EXPECT_EQ(le32(b, 34), BMP_STRIDE * PANEL_HEIGHT);
    EXPECT_EQ(le32(b, 46), 0u); // no colour table
}

TEST_F(PanelArtwork, KeySpritesAreLightWhiteKeysAndDarkBlackKeysPressedDarker) {
    double whiteReleased = meanLuma(WHITE_KEY_RELEASED);
    double whitePressed = meanLuma(WHITE_KEY_PRESSED);
    double blackReleased = meanLuma(BLACK_KEY_RELEASED);
    double blackPressed = meanLuma(BLACK_KEY_PRESSED);
    EXPECT_GT(whiteReleased, 200);
    EXPECT_GT(whiteReleased - whitePressed, 20) << "a pressed white key must look pressed";
    EXPECT_GT(blackReleased - blackPressed, 20) << "a pressed black key must look pressed";
    EXPECT_GT(whitePressed - blackReleased, 60) << "black keys stand out from white ones";
    EXPECT_LT(blackReleased, 120);
}

TEST_F(PanelArtwork, WhiteKeysLookTheSamePressedAndReleasedWhereTheirRepaintDoesNotReach) {
    // A key's repaint is limited to the key bed rectangle: its three bottom
    // rows lie below it, and the left bed's last key ends one column past it.
    const SpriteArea& released = WHITE_KEY_RELEASED;
    const SpriteArea& pressed = WHITE_KEY_PRESSED;
    const RECT& bed = PanelLayout[LAYOUT_KEY_BED_0];
    ASSERT_EQ(bed.left + KEY_OFFSETS[16] + WHITE_KEY_WIDTH, bed.right + 1);
    std::vector<std::string> differ;
    for (int y = released.top; y < PANEL_HEIGHT; ++y)
        for (int x = 0; x < WHITE_KEY_WIDTH; ++x) {
            bool unreached = y >= bed.bottom || x == WHITE_KEY_WIDTH - 1;
            if (unreached && pixel(released.left + x, y) != pixel(pressed.left + x, y))
                differ.push_back(std::to_string(x) + "," + std::to_string(y));
        }
    EXPECT_EQ(differ, std::vector<std::string>{});
}

TEST_F(PanelArtwork, KnobFaceIsPlainAndTheIndicatorDotDiffersFromIt) {
    Rgb face = pixel(KNOB_FACE.left, KNOB_FACE.top);
    EXPECT_EQ(pixelsNotOf(KNOB_FACE.left, KNOB_FACE.top, KNOB_FACE.width, KNOB_FACE.height, face),
              std::vector<std::string>{});
    std::vector<std::string> dot = pixelsNotOf(KNOB_DOT.left, KNOB_DOT.top, KNOB_DOT.width, KNOB_DOT.height, face);
    EXPECT_GE(dot.size(), 40u) << "the dot is a visible sphere";
    // The sprite is an opaque box: its edges must be knob face, or the box shows.
    int right = KNOB_DOT.left + KNOB_DOT.width - 1, bottom = KNOB_DOT.top + KNOB_DOT.height - 1;
    EXPECT_EQ(pixelsNotOf(KNOB_DOT.left, KNOB_DOT.top, KNOB_DOT.width, 1, face), std::vector<std::string>{});
    EXPECT_EQ(pixelsNotOf(KNOB_DOT.left, bottom, KNOB_DOT.width, 1, face), std::vector<std::string>{});
    EXPECT_EQ(pixelsNotOf(KNOB_DOT.left, KNOB_DOT.top, 1, KNOB_DOT.height, face), std::vector<std::string>{});
    EXPECT_EQ(pixelsNotOf(right, KNOB_DOT.top, 1, KNOB_DOT.height, face), std::vector<std::string>{});
    // Its centre is the dot, clearly lighter than the dark face.
    EXPECT_GT(luma(pixel(KNOB_DOT.left + 9, KNOB_DOT.top + 8)) - luma(face), 80);
}

TEST_F(PanelArtwork, KnobFaceIsPlainWhereverTheIndicatorCanLand) {
    // Painting covers the artwork's own dot with the plain face first, so
    // only the dot's box may differ; every other landing pixel must be face.
    Rgb face = pixel(KNOB_FACE.left, KNOB_FACE.top);
    std::set<std::pair<int, int>> corners;
    for (uint32_t count : {128u, 16u, 11u, 12u, 127u, 15u, 10u})
        for (uint32_t value = 0; value <= count; ++value) {
            const POINT dot = knobIndicatorPosition(value, count);
            corners.insert({int(dot.x), int(dot.y)});
        }
    ASSERT_GT(corners.size(), 100u);
    std::set<std::string> odd;
    for (const auto& [left, top] : corners)
        for (const std::string& at : pixelsNotOf(left, top, KNOB_DOT.width, KNOB_DOT.height, face)) {
            int x = std::stoi(at), y = std::stoi(at.substr(at.find(',') + 1));
            bool inDotBox = x >= KNOB_DOT.left && x < KNOB_DOT.left + KNOB_DOT.width && y >= KNOB_DOT.top &&
                            y < KNOB_DOT.top + KNOB_DOT.height;
            if (!inDotBox) odd.insert(at);
        }
    EXPECT_EQ(odd, std::set<std::string>{});
}

TEST_F(PanelArtwork, DisplayFacesAreOneGreyGreenOnWhichTheDisplayTextReads) {
    Rgb face = pixel(PanelLayout[LAYOUT_LCD_0].left, PanelLayout[LAYOUT_LCD_0].top);
    for (int lcd : {LAYOUT_LCD_0, LAYOUT_LCD_1}) {
        const RECT& r = PanelLayout[lcd];
        EXPECT_EQ(pixelsNotOf(r.left, r.top, r.right - r.left, r.bottom - r.top, face), std::vector<std::string>{})
            << "display " << lcd;
    }
    EXPECT_GE(face.g, face.r) << face;
    EXPECT_GE(face.g, face.b) << face;
    EXPECT_LE(face.g - face.r, 40) << "grey-green, not green: " << face;
    EXPECT_GE(contrast(face, Rgb{52, 57, 55}), 4.5) << face;
}

// The artwork for high display scales: the same panel, drawn at twice the
// size, with the flat areas that painting copies over still flat.
TEST_F(PanelArtwork, TheDoubleSizeArtworkIsTheSamePanelAtTwiceTheSize) {
    const std::vector<uint8_t> b = readResource("panel-2x.bmp");
    ASSERT_EQ(b.size(), BMP_HEADERS + BMP_STRIDE * 2 * PANEL_HEIGHT * 2);
    ASSERT_EQ(int32_t(le32(b, 18)), PANEL_WIDTH * 2);
    ASSERT_EQ(int32_t(le32(b, 22)), PANEL_HEIGHT * 2);
    ASSERT_EQ(le16(b, 28), 24u);
    ASSERT_EQ(le32(b, 30), 0u);
    double difference = 0;
    for (int y = 0; y < PANEL_HEIGHT; ++y)
        for (int x = 0; x < PANEL_WIDTH; ++x) {
            double block = 0;
            for (int i = 0; i < 4; ++i) block += luma(pixelAt(b, 2, 2 * x + i % 2, 2 * y + i / 2)) / 4;
            difference += std::fabs(block - luma(pixel(x, y)));
        }
    EXPECT_LT(difference / (PANEL_WIDTH * PANEL_HEIGHT), 6) << "mean brightness difference per panel pixel";
    const Rgb knobFace = pixel(KNOB_FACE.left, KNOB_FACE.top), displayFace = pixel(32, 34);
    int odd = 0;
    for (int y = 2 * KNOB_FACE.top; y < 2 * (KNOB_FACE.top + KNOB_FACE.height); ++y)
        for (int x = 2 * KNOB_FACE.left; x < 2 * (KNOB_FACE.left + KNOB_FACE.width); ++x)
            odd += pixelAt(b, 2, x, y) != knobFace;
    for (int lcd : {LAYOUT_LCD_0, LAYOUT_LCD_1}) {
        const RECT& r = PanelLayout[lcd];
        for (int y = 2 * r.top; y < 2 * r.bottom; ++y)
            for (int x = 2 * r.left; x < 2 * r.right; ++x) odd += pixelAt(b, 2, x, y) != displayFace;
    }
    EXPECT_EQ(odd, 0) << "pixels of the knob face or the displays that are not flat";
}

// The cursor file: one 32 x 32 monochrome image with its mask.
TEST(HandCursor, IsOne32By32MonochromeImageWithItsHotSpotAtTheFingertip) {
    std::vector<uint8_t> b = readResource("hand.cur");
    ASSERT_GE(b.size(), 22u);
    EXPECT_EQ(le16(b, 0), 0u);
    EXPECT_EQ(le16(b, 2), 2u); // a cursor, not an icon
    ASSERT_EQ(le16(b, 4), 1u);
    EXPECT_EQ(b[6], 32);
    EXPECT_EQ(b[7], 32);
    EXPECT_EQ(le16(b, 10), 6u); // hot spot x
    EXPECT_EQ(le16(b, 12), 0u); // hot spot y
    uint32_t size = le32(b, 14), at = le32(b, 18);
    ASSERT_EQ(size_t(at) + size, b.size());
    ASSERT_EQ(size, 40u + 8u + 128u + 128u);
    EXPECT_EQ(le32(b, at), 40u);
    EXPECT_EQ(int32_t(le32(b, at + 4)), 32);
    EXPECT_EQ(int32_t(le32(b, at + 8)), 64); // image and mask
    EXPECT_EQ(le16(b, at + 12), 1u);
    EXPECT_EQ(le16(b, at + 14), 1u); // 1 bit per pixel
    EXPECT_EQ(le32(b, at + 16), 0u);
    // Pixels: colour bit (0 black, 1 white) and mask bit (1 transparent), rows bottom-up.
    size_t image = at + 48, mask = image + 128;
    auto bit = [&](size_t plane, int x, int y) { return (b[plane + size_t(31 - y) * 4 + x / 8] >> (7 - x % 8)) & 1; };
    EXPECT_EQ(bit(mask, 6, 0), 0) << "the hot spot is on the hand";
    EXPECT_EQ(bit(image, 6, 0), 0) << "the fingertip's outline is black";
    EXPECT_EQ(bit(mask, 0, 0), 1) << "transparent around the hand";
    EXPECT_EQ(bit(mask, 31, 31), 1);
    int white = 0, black = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (!bit(mask, x, y)) (bit(image, x, y) ? white : black)++;
    EXPECT_GT(white, 150) << "white fill";
    EXPECT_GT(black, 60) << "black outline";
}

// The program's icon: 16, 32 and 48 pixels, each 32 bits with alpha and a mask.
TEST(ProgramIcon, Holds16_32And48PixelImagesOf32Bits) {
    std::vector<uint8_t> b = readResource("tonvale.ico");
    ASSERT_GE(b.size(), 6u + 3 * 16);
    EXPECT_EQ(le16(b, 0), 0u);
    EXPECT_EQ(le16(b, 2), 1u); // an icon, not a cursor
    ASSERT_EQ(le16(b, 4), 3u);
    for (uint32_t i = 0, size = 16; i < 3; ++i, size += 16) {
        const size_t entry = 6 + 16 * i;
        EXPECT_EQ(b[entry], size);
        EXPECT_EQ(b[entry + 1], size);
        EXPECT_EQ(le16(b, entry + 6), 32u);
        const uint32_t bytes = le32(b, entry + 8), at = le32(b, entry + 12);
        ASSERT_EQ(bytes, 40 + size * size * 4 + size * ((size + 31) / 32 * 4)) << size;
        ASSERT_LE(size_t(at) + bytes, b.size());
        EXPECT_EQ(le32(b, at), 40u);
        EXPECT_EQ(le32(b, at + 4), size);
        EXPECT_EQ(le32(b, at + 8), 2 * size); // image and mask
        EXPECT_EQ(le16(b, at + 14), 32u);
    }
}

// The patch-name file installed beside the program: one entry per program
// in program order, then an empty line that ends the list.
TEST(PatchNameFile, Has128EntriesInProgramOrderFollowedByAnEmptyLine) {
    std::vector<uint8_t> bytes = readResource("gm_ins.nms");
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t c : bytes) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += char(c);
        }
    }
    ASSERT_GE(lines.size(), 129u);
    for (int program = 0; program < 128; ++program) {
        const std::string& entry = lines[program];
        std::string number = std::to_string(program + 1) + "=";
        EXPECT_EQ(entry.compare(0, number.size(), number), 0) << entry;
        EXPECT_GT(entry.size(), number.size()) << entry;
        EXPECT_LE(entry.size(), 125u) << "read as one piece: " << entry;
    }
    EXPECT_EQ(lines[0], "1=Acoustic Grand Piano");
    EXPECT_EQ(lines[127], "128=Gunshot");
    EXPECT_EQ(lines[128], "");
}

} // namespace
