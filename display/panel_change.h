// Shows on the panel what an operation of the model changed: the knob's
// indicator moves and the changed areas are marked for the next paint.
#pragma once

#include "model/panel_change.h"
#include "platform/win32.h"

void showPanelChange(HWND window, const PanelChange& change);
