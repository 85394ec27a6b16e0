#include "input/mouse_input.h"

#include "devices/midi_device.h"
#include "devices/patch_menus.h"
#include "display/panel.h"
#include "display/panel_change.h"
#include "display/panel_layout.h"
#include "input/pitch_bend.h"
#include "model/parameters.h"

namespace {

// Signed halves: with the mouse captured, a pointer left of or above the
// window reads as a small negative number, not as one near 65535.
POINT pointOf(LPARAM position) { return POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)}; }

bool hits(const RECT& rect, POINT point) { return PtInRect(&rect, point) != 0; }

// PATCH, CHAN., OCTAVE, VOLUME and TRANS. of both sections. True when one
// of them was hit.
bool pressParameterButtons(HWND window, POINT point) {
    bool hit = false;
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        for (int32_t id = 0; id < SELECTABLE_PARAM_COUNT; ++id) {
            if (!hits(sectionButtonRect(s, id), point)) continue;
            // Repainted before the menu opens too: its modal loop paints the
            // new selection while the menu is up.
            showPanelChange(window, selectParam(s, id));
            // Returns when the menu has closed; the choice is posted and
            // arrives after this press has been handled.
            SendMessageA(window, WM_COMMAND, CMD_PATCH_MENU + (WPARAM)id, 0);
            showPanelChange(window, repaint(AREA_WHOLE_PANEL));
            hit = true;
            break;
        }
    }
    return hit;
}

void pressChordButtons(HWND window, POINT point) {
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        if (hits(sectionButtonRect(s, ParamId::Chord), point)) showPanelChange(window, toggleChordMode(s));
    }
}

void pressStepButtons(HWND window, POINT point) {
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        if (hits(sectionButtonRect(s, ParamId::Plus), point)) showPanelChange(window, stepSelectedUp(s));
        if (hits(sectionButtonRect(s, ParamId::Minus), point)) showPanelChange(window, stepSelectedDown(s));
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
bool pressKnob(HWND window, POINT point) {
    if (!hits(knobRect, point)) return false;
    g_panel.knobDragging = true;
    g_panel.knobLastX = point.x;
    SetCapture(window);
    return true;
}

bool pressWheel(HWND window, POINT point) {
    if (!hits(wheelRect, point)) return false;
    startWheelDrag(window, point.y);
    return true;
}

// One knob step per move, by the horizontal direction alone. False when x
// did not change: the rest of that move is skipped.
bool dragKnob(HWND window, POINT point) {
    if (point.x == g_panel.knobLastX) return false;
    const int32_t direction = point.x > g_panel.knobLastX ? +1 : -1;
    SetCursor(g_panel.handCursor);
    showPanelChange(window, knobStep(direction));
    g_panel.knobLastX = point.x;
    return true;
}

bool overControl(POINT point) {
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        for (int32_t id = 0; id < PARAM_COUNT; ++id) {
            if (hits(sectionButtonRect(s, id), point)) return true;
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
    if (pressKnob(window, point) || pressWheel(window, point)) return;
    // Anywhere else the borderless window moves with the pointer, as if the
    // press had been on a title bar.
    if (!parameterHit) SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, position);
}

void onMouseMove(HWND window, LPARAM position) {
    const POINT point = pointOf(position);
    if (g_panel.knobDragging && !dragKnob(window, point)) return;
    if (g_panel.wheelDragging && !onWheelDragMove(window, point.y)) return;
    // Elsewhere the class arrow, which WM_SETCURSOR has already put up.
    if (overControl(point)) SetCursor(g_panel.handCursor);
}

void onLeftButtonUp(HWND window) {
    ReleaseCapture();
    g_panel.knobDragging = false;
    endWheelDrag(window);
}
