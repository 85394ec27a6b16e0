#include "input/mouse_input.h"

#include "devices/midi_device.h"
#include "devices/popup_menus.h"
#include "display/panel.h"
#include "display/panel_layout.h"
#include "display/repaint.h"
#include "input/drags.h"
#include "input/pitch_bend.h"
#include "model/key_map.h"
#include "model/parameters.h"

Drags g_drags;

namespace {

// Signed halves: with the mouse captured, a pointer left of or above the
// window reads as a small negative number, not as one near 65535. From here
// on every test and drag works in the panel's own units, at any scale.
POINT pointOf(LPARAM position) { return toPanel(POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)}, g_panel.dpi); }

// The borderless window moves with the pointer, as if the press had been
// on a title bar.
void moveWithPointer(HWND window, LPARAM position) { SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, position); }

// PATCH, CHAN., OCTAVE, VOLUME and TRANS. select; the first three also
// open their menu.
void pressSelectButton(HWND window, int32_t s, int32_t param) {
    // Repainted before the menu opens too: its modal loop paints the new
    // selection while the menu is up.
    showPanelChange(window, selectParam(s, param));
    openParameterMenu(window, s, param);
    showPanelChange(window, repaint(AREA_WHOLE_PANEL));
}

// False when the press's handling ends at the button; true when the window
// then moves with the pointer, as it does after CHORD, + and -.
bool pressSectionButton(HWND window, int32_t s, int32_t param) {
    switch (param) {
    case ParamId::CHORD: showPanelChange(window, toggleChordMode(s)); return true;
    case ParamId::PLUS: showPanelChange(window, stepSelectedUp(s)); return true;
    case ParamId::MINUS: showPanelChange(window, stepSelectedDown(s)); return true;
    default: pressSelectButton(window, s, param); return false;
    }
}

// Capture keeps the moves and the release coming wherever the pointer goes.
void startKnobDrag(HWND window, POINT point) {
    g_drags.knob = true;
    g_drags.knobLastX = point.x;
    SetCapture(window);
}

// One knob step per move, by the horizontal direction alone. False when x
// did not change: the rest of that move is skipped.
bool dragKnob(HWND window, POINT point) {
    if (point.x == g_drags.knobLastX) return false;
    const int32_t direction = point.x > g_drags.knobLastX ? +1 : -1;
    SetCursor(g_panel.handCursor);
    showPanelChange(window, knobStep(direction));
    g_drags.knobLastX = point.x;
    return true;
}

} // namespace

void onLeftButtonDown(HWND window, LPARAM position) {
    const POINT point = pointOf(position);
    showPanelChange(window, cancelLearning()); // a click elsewhere
    const Hit hit = hitTest(point);
    switch (hit.control) {
    case Control::SECTION_BUTTON:
        if (pressSectionButton(window, hit.section, hit.param)) moveWithPointer(window, position);
        return;
    case Control::RESET:
        if (resetAll(window)) moveWithPointer(window, position); // unless the window is gone
        return;
    // The dialog's modal loop (paints and bend ticks still come) has taken
    // the button's release: a window move now would leave the window
    // following the pointer, no button held, until the next click.
    case Control::SETUP: runDeviceSetup(window); return;
    case Control::OFF: switchOff(window); return;
    case Control::KNOB: startKnobDrag(window, point); return;
    case Control::WHEEL: startWheelDrag(window, point.y); return;
    case Control::NONE: moveWithPointer(window, position); return;
    }
}

void onMouseMove(HWND window, LPARAM position) {
    const POINT point = pointOf(position);
    if (g_drags.knob && !dragKnob(window, point)) return;
    if (g_drags.wheel && !onWheelDragMove(window, point.y)) return;
    // Elsewhere the class arrow, which WM_SETCURSOR has already put up.
    if (hitTest(point).control != Control::NONE) SetCursor(g_panel.handCursor);
}

bool onRightButtonDown(HWND window, LPARAM position) {
    int32_t bed = 0, key = 0;
    if (!keyAt(pointOf(position), &bed, &key)) {
        showPanelChange(window, cancelLearning());
        return false;
    }
    showPanelChange(window, markKeyToLearn(bed, key));
    return true;
}

void onLeftButtonUp(HWND window) {
    ReleaseCapture();
    g_drags.knob = false;
    endWheelDrag(window);
}

void onCaptureChanged(HWND window, HWND newCapture) {
    if (newCapture == window) return;
    g_drags.knob = false;
    endWheelDrag(window);
}
