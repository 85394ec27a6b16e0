#include "devices/input_device.h"

#include "devices/midi_device.h"
#include "display/repaint.h"
#include "model/input_notes.h"
#include "port/midi_in_port.h"
#include "port/midi_out_port.h"
#include "resources/resource.h"

#include <cstdio>
#include <cstring>

namespace {

const char NO_INPUT[] = "(none)";

void describeFailure(char (&text)[MESSAGE_TEXT_SIZE], const char* name, MMRESULT code) {
    char why[MESSAGE_TEXT_SIZE / 2];
    midiErrorText(code, why, sizeof why);
    std::snprintf(text, sizeof text, "The MIDI input \"%s\" cannot be opened: %s", name, why);
}

} // namespace

void openStartInput(HWND window) {
    if (!g_input.deviceName[0]) return;
    const MMRESULT opened = openInputNamed(window, g_input.deviceName);
    // Not there now: unplugged, it may be back for the next run.
    if (opened == MMSYSERR_NOERROR || opened == MMSYSERR_BADDEVICEID) return;
    describeFailure(g_deviceNews.inputStartUp, g_input.deviceName, opened);
}

void fillInputList(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_INPUT_LIST, LB_INSERTSTRING, (WPARAM)-1, (LPARAM)NO_INPUT);
    uint32_t selected = 0;
    // Counted now: a keyboard plugged in since the start is listed.
    const uint32_t count = countInputDevices();
    for (uint32_t i = 0; i < count; ++i) {
        char name[MAXPNAMELEN + 32]; // room for the stand-in of a device that cannot say
        inputDeviceName(i, name, sizeof name);
        SendDlgItemMessageA(dialog, IDC_INPUT_LIST, LB_INSERTSTRING, (WPARAM)-1, (LPARAM)name);
        if (std::strcmp(name, g_input.deviceName) == 0) selected = i + 1;
    }
    SendDlgItemMessageA(dialog, IDC_INPUT_LIST, LB_SETCURSEL, selected, 0);
}

bool takeInputChoice(HWND dialog, char (&name)[MAXPNAMELEN]) {
    name[0] = 0;
    const LRESULT selected = SendDlgItemMessageA(dialog, IDC_INPUT_LIST, LB_GETCURSEL, 0, 0);
    if (selected == 0) return true;
    // A listed name is never longer than the system's device names.
    return selected != LB_ERR &&
           SendDlgItemMessageA(dialog, IDC_INPUT_LIST, LB_GETTEXT, (WPARAM)selected, (LPARAM)name) != LB_ERR;
}

void useChosenInput(HWND window, const char* name) {
    if (std::strcmp(name, g_input.deviceName) == 0 && (g_input.handle || !name[0])) return;
    char previous[MAXPNAMELEN];
    std::snprintf(previous, sizeof previous, "%s", g_input.deviceName);
    const bool playing = g_input.handle != nullptr;
    closeInput(window);
    keepInputName(name);
    if (!name[0]) return;
    const MMRESULT opened = openInputNamed(window, name);
    if (opened == MMSYSERR_NOERROR) return;
    char text[MESSAGE_TEXT_SIZE];
    describeFailure(text, name, opened);
    showMessage(window, text);
    keepInputName(previous);
    if (playing) openInputNamed(window, previous);
}

void closeInput(HWND window) {
    if (!g_input.handle) return;
    const PanelChange ended = endInput();
    if (window) showPanelChange(window, ended);
    closeInputPort();
}
