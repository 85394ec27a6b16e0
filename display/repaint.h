// Marks for the next paint the areas of the panel an operation changed.
#pragma once

#include "model/panel_areas.h"
#include "platform/win32.h"

void showPanelChange(HWND window, const PanelChange& change);
