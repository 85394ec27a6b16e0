// Painting: the whole panel recomposed from the artwork and the model into
// the back buffer, then copied to the window in one go.
#pragma once

#include "platform/win32.h"

void paintPanel(HDC target);
