// Playing from the MIDI input: its messages, delivered to the window as
// MM_MIM_DATA, decoded and played through the sections; and the input going
// away by itself.
#pragma once

#include "platform/win32.h"

// MM_MIM_DATA: the handle of the input that sent it, and the message, its
// status in the low byte. Notes, the sustain pedal, pitch bend, the
// modulation and a program change play through the sections; other controllers and channel
// pressure go on as they came; system messages are ignored.
void onMidiInput(HWND window, WPARAM handle, LPARAM message);

// MM_MIM_CLOSE: a close of the program's own, or the device gone, which
// ends all the input sounds.
void onInputClosed(HWND window, WPARAM handle);
