#include "input/keyboard_input.h"

// Placeholder until keyboard playing is built.
bool findKey(uint8_t, KeyLocation*) { return false; }
void onKeyMessage(HWND, WPARAM, LPARAM) {}
void onCharMessage(HWND, unsigned char) {}
