#include "tests/unit/program_test.h"

#include "base/program.h"
#include "devices/popup_menus.h"
#include "display/panel.h"
#include "input/keyboard_input.h"
#include "model/patch_names.h"
#include "model/performance.h"
#include "port/midi_out_port.h"

void resetProgramState() {
    g_program = Program{};
    g_port = MidiOutPort{};
    g_model = PerformanceModel{};
    g_panel = Panel{};
    g_menus = PopupMenus{};
    g_patchNames = PatchNames{};
    g_modifiers = ModifierKeys{};
}

void ProgramTest::SetUp() {
    fake::reset();
    resetProgramState();
    initSections();
    openPort();
    g_panel.handCursor = LoadCursorA(fake::INSTANCE, "HAND");
    fake::clearLog();
}
