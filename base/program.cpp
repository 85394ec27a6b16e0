#include "base/program.h"

Program g_program;

void showMessage(HWND owner, const char* text) { MessageBoxA(owner, text, nullptr, MB_OK); }
