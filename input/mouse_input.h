// The left mouse button on the panel: buttons, menus, knob and wheel drags,
// the hand cursor, and moving the borderless window.
#pragma once

#include "platform/win32.h"

void onLeftButtonDown(HWND window, LPARAM position);
void onMouseMove(HWND window, LPARAM position);
void onLeftButtonUp(HWND window);
// A right click on a key of a key bed marks it: the next computer key
// pressed plays it. False elsewhere: the system's default handling.
bool onRightButtonDown(HWND window, LPARAM position);
// WM_CAPTURECHANGED: a drag whose capture goes elsewhere will not see its
// button's release, so it ends here; the wheel springs back.
void onCaptureChanged(HWND window, HWND newCapture);
