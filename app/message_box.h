// Failures are shown at once, owned by the main window, text alone.
#pragma once

#include "platform/win32.h"

// Size of the text buffer for one message's failure texts and file lines.
constexpr unsigned MESSAGE_TEXT_SIZE = 1000;

inline void showMessage(HWND owner, const char* text) { MessageBoxA(owner, text, nullptr, MB_OK); }
