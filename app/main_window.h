// The program's spine: entry, the main window and its message dispatch,
// start-up and shut-down.
#pragma once

#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);
ATOM registerMainClass(HINSTANCE instance);
bool createMainWindow(HINSTANCE instance, int showCommand);
TONVALE_EXPORT LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Releases everything start-up made, each thing once, and ends the loop.
void shutDown(HWND window);
