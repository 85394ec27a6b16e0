#include "input/mouse_input.h"

// Placeholder until the mouse controls are built.
int32_t knobDragging;
int32_t knobLastX;

void onLeftButtonDown(HWND, LPARAM) {}
void onMouseMove(HWND, LPARAM) {}
void onLeftButtonUp(HWND) {}
