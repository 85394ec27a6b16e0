#include "input/mouse_input.h"

#include "devices/midi_out_port.h"
#include "devices/patch_menus.h"
#include "display/panel_layout.h"
#include "display/panel_surfaces.h"
#include "input/pitch_bend.h"
#include "model/keyboard_sections.h"

int32_t knobDragging;
int32_t knobLastX;

namespace {

// Signed halves: with the mouse captured, a pointer left of or above the
// window reads as a small negative number, not as one near 65535.
POINT pointOf(LPARAM position) { return POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)}; }

bool hits(const RECT& rect, POINT point) { return PtInRect(&rect, point) != 0; }

void invalidatePanel(HWND window) { InvalidateRect(window, nullptr, FALSE); }

// PATCH, CHAN., OCTAVE, VOLUME and TRANS. of both sections. True when one
// of them was hit.
bool pressParameterButtons(HWND window, POINT point) {
    bool hit = false;
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        for (int32_t id = 0; id < SELECTABLE_PARAM_COUNT; ++id) {
            if (!hits(sections[s].params[id].buttonRect, point)) continue;
            selectParam(s, id);
            // Repainted before the menu opens too: its modal loop paints the
            // new selection while the menu is up.
            invalidatePanel(window);
            // Returns when the menu has closed; the choice is posted and
            // arrives after this press has been handled.
            SendMessageA(window, WM_COMMAND, CMD_PATCH_MENU + (WPARAM)id, 0);
            invalidatePanel(window);
            hit = true;
            break;
        }
    }
    return hit;
}

void pressChordButtons(HWND window, POINT point) {
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        if (hits(sections[s].params[ParamId::Chord].buttonRect, point)) toggleChordMode(window, s);
    }
}

void pressStepButtons(HWND window, POINT point) {
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        if (hits(sections[s].params[ParamId::Plus].buttonRect, point)) {
            stepSelectedUp(s);
            invalidatePanel(window);
        }
        if (hits(sections[s].params[ParamId::Minus].buttonRect, point)) {
            stepSelectedDown(s);
            invalidatePanel(window);
        }
    }
}

// RESET, SETUP and OFF. False when the press's handling must end here: the
// window is gone (OFF, or a failed reset) or the setup dialog has run.
bool pressTopButtons(HWND window, POINT point) {
    if (hits(topButtonRects[TOP_BUTTON_RESET], point) && !resetAll(window)) return false;
    if (hits(topButtonRects[TOP_BUTTON_SETUP], point)) {
        // The dialog's modal loop (paints and bend ticks still come) has
        // taken the button's release: a window-move request now would leave
        // the window following the pointer, no button held, until the next
        // click. So the press ends here whatever the setup's outcome.
        runDeviceSetup(window);
        return false;
    }
    if (hits(topButtonRects[TOP_BUTTON_OFF], point)) {
        switchOff(window);
        return false;
    }
    return true;
}

// Capture keeps the moves and the release coming wherever the pointer goes.
bool startKnobDrag(HWND window, POINT point) {
    if (!hits(knobRect, point)) return false;
    knobDragging = 1;
    knobLastX = point.x;
    SetCapture(window);
    return true;
}

bool startWheelDrag(HWND window, POINT point) {
    if (!hits(wheelRect, point)) return false;
    wheelDragging = 1;
    wheelLastY = point.y;
    SetCapture(window);
    return true;
}

// One knob step per move, by the horizontal direction alone. False when x
// did not change: the rest of that move is skipped.
bool dragKnob(HWND window, POINT point) {
    if (point.x == knobLastX) return false;
    knobStep(point.x > knobLastX ? +1 : -1);
    InvalidateRect(window, &knobRect, FALSE);
    InvalidateRect(window, &sections[0].lcdRect, FALSE);
    InvalidateRect(window, &sections[1].lcdRect, FALSE);
    knobLastX = point.x;
    return true;
}

bool overControl(POINT point) {
    for (const KeyboardSection& section : sections) {
        for (const ParamSlot& slot : section.params) {
            if (hits(slot.buttonRect, point)) return true;
        }
    }
    for (int i = 0; i < TOP_BUTTON_COUNT; ++i) {
        if (hits(topButtonRects[i], point)) return true;
    }
    return hits(knobRect, point) || hits(wheelRect, point);
}

} // namespace

void onLeftButtonDown(HWND window, LPARAM position) {
    const POINT point = pointOf(position);
    const bool parameterHit = pressParameterButtons(window, point);
    pressChordButtons(window, point);
    pressStepButtons(window, point);
    if (!pressTopButtons(window, point)) return;
    if (startKnobDrag(window, point) || startWheelDrag(window, point)) return;
    // Anywhere else the borderless window moves with the pointer, as if the
    // press had been on a title bar.
    if (!parameterHit) SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, position);
}

void onMouseMove(HWND window, LPARAM position) {
    const POINT point = pointOf(position);
    if (knobDragging && !dragKnob(window, point)) return;
    if (wheelDragging && !onWheelDragMove(window, point.x, point.y)) return;
    // Elsewhere the class arrow, which WM_SETCURSOR has already put up.
    if (overControl(point)) SetCursor(handCursor);
}

void onLeftButtonUp(HWND window) {
    ReleaseCapture();
    knobDragging = 0;
    if (wheelDragging) endWheelDrag(window);
}
