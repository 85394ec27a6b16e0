// Every message the program posts to its own main window, in one table so
// that no two modules ever use the same id. WM_APP and above are the
// program's own: no system control sends them.
#pragma once

#include "platform/win32.h"

enum WindowMessage : UINT {
    WM_TAKE_WRITTEN = WM_APP + 1, // the take writer finished a job; the window asks it for the result
};
