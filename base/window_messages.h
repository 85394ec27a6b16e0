// Every message the program posts to its own main window, in one table so
// that no two modules ever use the same id. WM_APP and above are the
// program's own: no system control sends them.
#pragma once

#include "platform/win32.h"

enum WindowMessage : UINT {
    MESSAGE_STRUM_DUE = WM_APP + 1,      // a strummed chord's next note is due; wParam: the one-shot that fired
    MESSAGE_TAKE_WRITTEN = WM_APP + 2,   // the take writer finished a job; the window asks it for the result
    MESSAGE_RECORDER_SPARE = WM_APP + 3, // the take recorder began its spare chunk; the next one is to be made
};
