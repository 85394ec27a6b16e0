#include "tests/unit/program_state.h"

#include "app/main_window.h"
#include "base/program.h"
#include "base/window_messages.h"
#include "devices/midi_device.h"
#include "devices/popup_menus.h"
#include "display/key_labels.h"
#include "display/panel.h"
#include "input/background_keys.h"
#include "input/drags.h"
#include "input/keyboard_input.h"
#include "input/strum_timer.h"
#include "model/key_map.h"
#include "model/patch_names.h"
#include "model/performance.h"
#include "port/midi_in_port.h"
#include "port/midi_out_port.h"
#include "port/take_recorder.h"
#include "settings/settings.h"
#include "takes/take_writer.h"
#include "takes/takes.h"
#include "tests/fake/fake_win32.h"

void resetProgramState() {
    releaseTakes(); // what the last one left recording or unsaved
    g_program = Program{};
    g_port = MidiOutPort{};
    g_input = MidiInPort{};
    g_model = PerformanceModel{};
    g_panel = Panel{};
    g_menus = PopupMenus{};
    g_patchNames = PatchNames{};
    g_modifiers = ModifierKeys{};
    g_backgroundKeys = BackgroundKeys{};
    g_drags = Drags{};
    g_strumTimer = StrumTimer{};
    g_deviceNews = DeviceNews{};
    g_keyMap = KeyMap{};
    g_keyNames = KeyNames{};
    // Assigned from a record made once: GCC 12 with the sanitizers fails on
    // a temporary of this size.
    static const SettingsStore FRESH_SETTINGS;
    g_settings = FRESH_SETTINGS;
    g_recorder = TakeRecorder{};
    g_takes = Takes{};
    g_writer = TakeWriter{}; // its thread ended by releaseTakes
}

void settleTakes() {
    while (g_writer.busy) {
        WaitForSingleObject(g_writer.idle, INFINITE);
        MainWndProc(fake::WINDOW, MESSAGE_TAKE_WRITTEN, 0, 0); // as the writer's message brings it
    }
}
