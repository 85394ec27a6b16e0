// Choosing and minding the MIDI output device: opening it at start-up, and
// the RESET, SETUP and OFF buttons with the setup dialog.
#pragma once

#include "platform/win32.h"

// Opens and resets the selected device and sends it both sections'
// programs; false after showing why it failed.
bool openSelectedDevice(HWND window);

// RESET: lets go of every key and silences the device. False when the reset
// failed and the window has been destroyed.
bool resetAll(HWND window);

// SETUP: the device dialog, and on OK the chosen device opened in place of
// the old one. False when reopening failed (the message has been shown).
bool runDeviceSetup(HWND window);

// OFF: ends the program through window destruction.
void switchOff(HWND window);

INT_PTR CALLBACK setupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
