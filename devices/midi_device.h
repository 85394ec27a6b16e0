// Choosing and minding the MIDI output device: opening it at start-up, and
// the RESET, SETUP and OFF buttons with the setup dialog.
#pragma once

#include "base/program.h"
#include "platform/win32.h"

// What is yet to be told about the device, once the panel can show it.
struct DeviceNews {
    char startUp[MESSAGE_TEXT_SIZE] = {}; // why the remembered device does not play; empty: nothing
    bool panelShown = false;              // from here on news is told at once
    // Why the remembered input does not play; empty: nothing.
    char inputStartUp[MESSAGE_TEXT_SIZE] = {};
};

extern DeviceNews g_deviceNews;

// Opens and resets the selected device and sends it both sections'
// programs; false after showing why it failed.
bool openSelectedDevice(HWND window);

// Start-up: as openSelectedDevice, but a remembered device that will not
// open (another program may hold it) gives way to device 0, and why is
// told once the panel shows. False when device 0 fails too.
bool openStartDevice(HWND window);

// The panel is up: what start-up had to say about the device and the
// input, once.
void tellStartUpNews(HWND window);

// RESET: lets go of every key and silences the device. False when the reset
// failed and the window has been destroyed.
bool resetAll(HWND window);

// SETUP: the device dialog, and on OK the chosen input and device opened
// in place of the old ones; when the device will not open, the old one
// plays on and stays the one remembered. What the input sounds and holds
// ends with the device it went to. False when no device could be opened (the message has
// been shown).
bool runDeviceSetup(HWND window);

// OFF: ends the program through window destruction.
void switchOff(HWND window);

INT_PTR CALLBACK setupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
