#include "tests/unit/program_test.h"

#include "base/program.h"
#include "devices/patch_menus.h"
#include "display/panel.h"
#include "model/performance.h"
#include "port/midi_out_port.h"

void resetProgramState() {
    g_program = Program{};
    g_port = MidiOutPort{};
    g_model = PerformanceModel{};
    g_panel = Panel{};
    g_menus = PopupMenus{};
}

void ProgramTest::SetUp() {
    fake::reset();
    resetProgramState();
    initSections();
    midiOutOpen(&g_port.handle, 0, (DWORD_PTR)fake::WINDOW, 0, CALLBACK_WINDOW);
    g_panel.handCursor = LoadCursorA(fake::INSTANCE, "HAND");
    fake::clearLog();
}
