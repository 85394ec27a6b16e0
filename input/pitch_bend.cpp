#include "input/pitch_bend.h"

// Placeholder until pitch bend is built.
int32_t wheelDragging;
int32_t wheelLastY;

void nudgeBend(HWND, int32_t) {}
void onBendTimer(HWND) {}
int onWheelDragMove(HWND, int, int) { return 0; }
void endWheelDrag(HWND) {}
