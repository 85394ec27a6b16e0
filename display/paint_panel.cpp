#include "display/paint_panel.h"

#include "display/key_labels.h"
#include "display/knob_indicator.h"
#include "display/panel.h"
#include "display/panel_layout.h"
#include "model/key_map.h"
#include "model/patch_names.h"
#include "model/performance.h"
#include "port/midi_out_port.h"
#include "takes/takes.h"

#include <cstdio>
#include <cstring>

namespace {

const COLORREF WHEEL_PEN_COLOUR = RGB(120, 110, 90);
const COLORREF TEXT_COLOUR = RGB(52, 57, 55);
const COLORREF LABEL_COLOUR = RGB(214, 208, 194); // as the panel's own lettering
const COLORREF BLACK_KEY_LABEL_COLOUR = RGB(176, 186, 172);
const COLORREF MARK_COLOUR = RGB(232, 84, 60); // the lit lamp's red
// The displays' ground, for the chord type's letters with the latch on.
const COLORREF DISPLAY_COLOUR = RGB(160, 180, 166);
const int KEY_LABEL_Y = 103;
const char PERCUSSION_NAME[] = "NONE - PERCUSSION CHANNEL";
const char SELECTION_MARKER[] = "---<>---";
const char PEDAL_DOWN[] = "PED"; // as a score marks the sustain pedal
const char RECORDING[] = "REC";
// The chord mode as the display shows it, by ChordType.
const char* const CHORD_LABELS[] = {"OFF", "MAJ", "MIN", "7", "MAJ7", "MIN7", "SUS2", "SUS4", "DIM", "AUG"};
static_assert(sizeof CHORD_LABELS / sizeof CHORD_LABELS[0] == ChordType::COUNT, "a label for every chord type");
const int CHORD_MARKER_GAP = 3;  // the chord type's marker stops short of it
const char BACKGROUND[] = "BKG"; // Scroll Lock: the keys play behind other windows
const char DEVICE_GONE[] = "MIDI DEVICE GONE - WAITING";
const char DEVICE_BACK[] = "MIDI DEVICE BACK";
constexpr unsigned LINE_SIZE = 128;

// Where a display's text goes: across from the display's left edge, down
// from the panel's top.
struct DisplayText {
    int lineX;      // the start of each line
    int patchY;     // the patch name, or a take saved; a take recording at stateX
    int valuesY;    // channel, octave, volume, transposition; the pedal at stateX
    int markerY;    // the marker, and the chord mode at stateX
    int stateX;     // the chord mode, and the pedal above it
    int markerStep; // the marker sits under the selected parameter's value
    int armedX;     // background playing armed, on the patch line before REC
};
const DisplayText TEXT = {5, 38, 52, 64, 240, 46, 212};

// Everything is placed in panel units and drawn at the window's scale, from
// the artwork made for that scale.
int px(int units) { return toPixels(units, g_panel.dpi); }

void copySprite(HDC backBuffer, const SpriteArea& sprite, int x, int y) {
    BitBlt(backBuffer, px(x), px(y), px(x + sprite.width) - px(x), px(y + sprite.height) - px(y), g_panel.artworkDC,
           px(sprite.left), px(sprite.top), SRCCOPY);
}

void drawText(HDC backBuffer, int x, int y, const char* text, size_t length) {
    TextOutA(backBuffer, px(x), px(y), text, (int)length);
}

// ASCII letters only: the name's other bytes are drawn as they stand.
void upperCase(char* text) {
    for (char* c = text; *c; ++c) {
        if (*c >= 'a' && *c <= 'z') *c = (char)(*c - 'a' + 'A');
    }
}

void drawPatchLine(HDC backBuffer, const KeyboardSection& section, int left) {
    const int32_t channel = paramValue(section, ParamId::CHANNEL);
    // The program remembered for the channel, which two sections on one
    // channel share, not the section's own Patch value.
    const char* name = channel == PERCUSSION_CHANNEL ? PERCUSSION_NAME : patchName(g_model.ChannelPatchTable[channel]);
    char line[LINE_SIZE];
    const int formatted = std::snprintf(line, sizeof line, "PATCH: %s\n", name);
    upperCase(line);
    // The line break is not drawn. A name too long for the line cuts it
    // short of the break, and then all that fitted is drawn.
    size_t length = 0;
    if (formatted > 0) length = (size_t)formatted < sizeof line ? (size_t)formatted - 1 : sizeof line - 1;
    drawText(backBuffer, left + TEXT.lineX, TEXT.patchY, line, length);
}

// The patch line, or news in its place: the device gone (until it is
// back) or back, or for a few seconds a take saved or not. REC at its end
// while a take is recorded, BKG while the keys play behind other windows.
void drawTopLine(HDC backBuffer, const KeyboardSection& section, int left) {
    const char* deviceNews = g_port.stoppedAnswering ? DEVICE_GONE : g_port.cameBack ? DEVICE_BACK : nullptr;
    char news[TAKE_NEWS_SIZE];
    if (deviceNews) {
        drawText(backBuffer, left + TEXT.lineX, TEXT.patchY, deviceNews, std::strlen(deviceNews));
    } else if (takesNews(news)) {
        drawText(backBuffer, left + TEXT.lineX, TEXT.patchY, news, std::strlen(news));
    } else {
        drawPatchLine(backBuffer, section, left);
    }
    if (takeRecording()) drawText(backBuffer, left + TEXT.stateX, TEXT.patchY, RECORDING, sizeof RECORDING - 1);
    if (g_model.backgroundArmed)
        drawText(backBuffer, left + TEXT.armedX, TEXT.patchY, BACKGROUND, sizeof BACKGROUND - 1);
}

void drawValuesLine(HDC backBuffer, const KeyboardSection& section, int left) {
    char line[LINE_SIZE];
    std::snprintf(line, sizeof line, "CHAN  : %.2u   OCT: %.2u   VOL: %.3u   TRANSP: %.2d",
                  (unsigned)paramValue(section, ParamId::CHANNEL) + 1, (unsigned)paramValue(section, ParamId::OCTAVE),
                  (unsigned)paramValue(section, ParamId::VOLUME), (int)paramValue(section, ParamId::TRANSPOSE));
    drawText(backBuffer, left + TEXT.lineX, TEXT.valuesY, line, std::strlen(line));
}

// The chord type; with the latch on, in the display's ground on dark.
void drawChordType(HDC backBuffer, const KeyboardSection& section, int left) {
    const char* label = CHORD_LABELS[paramValue(section, ParamId::CHORD)];
    if (section.latch) {
        SetBkMode(backBuffer, OPAQUE);
        SetBkColor(backBuffer, TEXT_COLOUR);
        SetTextColor(backBuffer, DISPLAY_COLOUR);
    }
    drawText(backBuffer, left + TEXT.stateX, TEXT.markerY, label, std::strlen(label));
    if (section.latch) {
        SetBkMode(backBuffer, TRANSPARENT);
        SetTextColor(backBuffer, TEXT_COLOUR);
    }
}

// The marker under the selected value; the chord type stands on the
// marker's own line, so its marker ends just before it.
void drawChordAndMarker(HDC backBuffer, const KeyboardSection& section, int left) {
    drawChordType(backBuffer, section, left);
    if (section.selectedParam != ParamId::CHORD) {
        drawText(backBuffer, left + TEXT.lineX + TEXT.markerStep * section.selectedParam, TEXT.markerY,
                 SELECTION_MARKER, sizeof SELECTION_MARKER - 1);
        return;
    }
    SetTextAlign(backBuffer, TA_RIGHT | TA_TOP);
    drawText(backBuffer, left + TEXT.stateX - CHORD_MARKER_GAP, TEXT.markerY, SELECTION_MARKER,
             sizeof SELECTION_MARKER - 1);
    SetTextAlign(backBuffer, TA_LEFT | TA_TOP);
}

void drawDisplay(HDC backBuffer, int32_t s) {
    const KeyboardSection& section = g_model.sections[s];
    const int left = sectionDisplayRect(s).left;
    drawTopLine(backBuffer, section, left);
    drawValuesLine(backBuffer, section, left);
    drawChordAndMarker(backBuffer, section, left);
    // Above the chord state, in the display of the section it went down in,
    // on whose channel it is.
    const Pedal& pedal = g_model.sustain;
    if (pedal.down && pedal.section == s) {
        drawText(backBuffer, left + TEXT.stateX, TEXT.valuesY, PEDAL_DOWN, sizeof PEDAL_DOWN - 1);
    }
}

// The bend as a line across the wheel: the bottom row at 0, the top row at
// the highest value.
void drawWheelLine(HDC backBuffer) {
    const RECT& wheel = wheelRect;
    const double perValue = 1.0 / BEND_MAX;
    const int y = (int)(wheel.bottom - (double)(wheel.bottom - 1 - wheel.top) * g_model.bendValue * perValue - 1);
    // One row of the panel: as many pixel rows as the scale gives it.
    for (int row = px(y); row < px(y + 1); ++row) {
        MoveToEx(backBuffer, px(wheel.left), row, nullptr);
        LineTo(backBuffer, px(wheel.right), row);
    }
}

// The keys of one colour at their place in the key bed, down where the
// section the bed shows sounds them.
void drawKeys(HDC backBuffer, int32_t bedIndex, bool black) {
    const BedView view = bedView(bedIndex);
    const KeyboardSection& section = g_model.sections[sectionOf(view.target)];
    const RECT& bed = sectionKeyBedRect(bedIndex);
    for (int k = 0; k < KEY_COUNT; ++k) {
        if (isBlackKey(k) != black) continue;
        const bool down = section.keyDown[view.first + k] != 0;
        const SpriteArea& sprite =
            black ? (down ? BLACK_KEY_PRESSED : BLACK_KEY_RELEASED) : (down ? WHITE_KEY_PRESSED : WHITE_KEY_RELEASED);
        copySprite(backBuffer, sprite, bed.left + KEY_OFFSETS[k], bed.top);
    }
}

// Above each key the computer key that plays it, centred; the mark of a
// key to learn in the lamp's red.
void drawKeyLabels(HDC backBuffer) {
    const char* labels[SECTION_COUNT][KEY_LABEL_COUNT];
    keyLabels(labels);
    SetTextAlign(backBuffer, TA_CENTER | TA_TOP);
    for (int32_t bed = 0; bed < SECTION_COUNT; ++bed) {
        const int left = sectionKeyBedRect(bed).left;
        for (int k = 0; k < KEY_COUNT; ++k) {
            const bool black = isBlackKey(k);
            const bool marked = g_keyMap.markedBed == bed && g_keyMap.markedKey == k;
            SetTextColor(backBuffer, marked ? MARK_COLOUR : black ? BLACK_KEY_LABEL_COLOUR : LABEL_COLOUR);
            const char* label = labels[bed][k];
            const int centre = KEY_OFFSETS[k] + (black ? BLACK_KEY_WIDTH : WHITE_KEY_WIDTH) / 2;
            drawText(backBuffer, left + centre, KEY_LABEL_Y, label, std::strlen(label));
        }
    }
    SetTextAlign(backBuffer, TA_LEFT | TA_TOP);
}

// The artwork shows section 0 lit; for section 1 the two lamps trade places.
void drawLamps(HDC backBuffer) {
    if (g_model.activeSection != 1) return;
    copySprite(backBuffer, LAMP_LIT, LAMP_UNLIT.left, LAMP_UNLIT.top);
    copySprite(backBuffer, LAMP_UNLIT, LAMP_LIT.left, LAMP_LIT.top);
}

void drawKnobIndicator(HDC backBuffer) {
    // Plain face over the dot drawn into the artwork, then the dot where it
    // belongs now.
    copySprite(backBuffer, KNOB_FACE, KNOB_DOT.left, KNOB_DOT.top);
    const POINT dot = knobIndicatorPosition();
    copySprite(backBuffer, KNOB_DOT, dot.x, dot.y);
}

} // namespace

void paintPanel(HDC target) {
    const HDC backBuffer = g_panel.backBufferDC;
    const HGDIOBJ font = g_panel.displayFont ? (HGDIOBJ)g_panel.displayFont : GetStockObject(DEFAULT_GUI_FONT);
    const HPEN wheelPen = CreatePen(PS_SOLID, 1, WHEEL_PEN_COLOUR);
    const int width = px(PANEL_WIDTH), height = px(PANEL_HEIGHT);
    BitBlt(backBuffer, 0, 0, width, height, g_panel.artworkDC, 0, 0, SRCCOPY);
    // The font may stay selected: a stock one, or the panel's own, which is
    // deleted only after the back buffer's DC.
    SelectObject(backBuffer, font);
    const HGDIOBJ previousPen = SelectObject(backBuffer, wheelPen);
    SetBkMode(backBuffer, TRANSPARENT);
    SetTextColor(backBuffer, TEXT_COLOUR);
    for (int32_t s = 0; s < SECTION_COUNT; ++s) drawDisplay(backBuffer, s);
    drawWheelLine(backBuffer);
    for (int32_t bed = 0; bed < SECTION_COUNT; ++bed) {
        // A black key lies over the right part of the white key before it.
        drawKeys(backBuffer, bed, false);
        drawKeys(backBuffer, bed, true);
    }
    drawKeyLabels(backBuffer);
    drawLamps(backBuffer);
    drawKnobIndicator(backBuffer);
    // One copy to the window, so it never shows a half-composed panel.
    BitBlt(target, 0, 0, width, height, backBuffer, 0, 0, SRCCOPY);
    SelectObject(backBuffer, previousPen);
    DeleteObject(wheelPen);
}
