// Choosing and minding the MIDI input: the one remembered opened at
// start-up, SETUP's "MIDI input" list, and closing it, which ends all it
// sounds. A first run without settings has no input and asks the system
// nothing about inputs.
#pragma once

#include "platform/win32.h"

// Start-up: the remembered input, if any, opened. One that will not open is
// told once the panel shows (g_deviceNews); one not there now is no news.
void openStartInput(HWND window);

// SETUP: "(none)", then the system's inputs as they are now, the
// remembered one selected.
void fillInputList(HWND dialog);
// The input chosen, "" for none; false when nothing is selected.
bool takeInputChoice(HWND dialog, char (&name)[MAXPNAMELEN]);
// SETUP's OK: the chosen input opened in place of the old one, which plays
// on when it will not open (said at once). The same input plays on as it is.
void useChosenInput(HWND window, const char* name);

// What the input sounds ends and it closes; the name stays remembered.
// Without a window (it is gone) nothing is repainted.
void closeInput(HWND window);
