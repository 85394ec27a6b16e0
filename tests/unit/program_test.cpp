#include "tests/unit/program_test.h"

#include "app/main_window.h"
#include "devices/midi_out_port.h"
#include "devices/patch_menus.h"
#include "display/knob_indicator.h"
#include "display/panel_surfaces.h"
#include "input/mouse_input.h"
#include "input/pitch_bend.h"
#include "model/keyboard_sections.h"
#include "model/midi_messages.h"

#include <cstring>

void resetProgramState() {
    std::memset(sections, 0, sizeof sections);
    activeSection = 0;
    chordQuality = 1;
    lastChordKey = 0;
    bendValue = 8192;
    bendTarget = 8192;
    std::memset(ChannelPatchTable, 0, sizeof ChannelPatchTable);
    shortMessage = ShortMessage{};
    midiOutPort = MidiOutPort{};
    panelSurfaces = PanelSurfaces{};
    handCursor = nullptr;
    knobX = 0;
    knobY = 0;
    PatchMenu = nullptr;
    ChannelMenu = nullptr;
    OctaveMenu = nullptr;
    programInstance = nullptr;
    wheelDragging = 0;
    wheelLastY = 0;
    knobDragging = 0;
    knobLastX = 0;
}

void ProgramTest::SetUp() {
    fake::reset();
    resetProgramState();
    initSections();
    midiOutOpen(&midiOutPort.handle, 0, (DWORD_PTR)fake::WINDOW, 0, CALLBACK_WINDOW);
    handCursor = LoadCursorA(fake::INSTANCE, "HAND");
    fake::clearLog();
}
