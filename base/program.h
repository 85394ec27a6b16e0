// What everything that talks to the user needs: the module the resources
// are loaded from, and the one way a failure is shown. It sits below every
// module that shows something, so none of them reaches up into app/.
#pragma once

#include "platform/win32.h"

struct Program {
    // Kept before the window exists: start-up runs inside window creation
    // and loads the artwork and the cursor from it, SETUP its dialog.
    HINSTANCE instance = nullptr;
};

extern Program g_program;

// Size of the text buffer for one message's failure texts and file lines.
constexpr unsigned MESSAGE_TEXT_SIZE = 1000;

// Failures are shown at once, owned by the main window, the text alone.
void showMessage(HWND owner, const char* text);
