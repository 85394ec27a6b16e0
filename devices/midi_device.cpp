#include "devices/midi_device.h"

#include "base/program.h"
#include "model/keys.h"
#include "model/midi_messages.h"
#include "port/midi_out_port.h"
#include "resources/resource.h"

#include <cstdio>

namespace {

// A device's entry in the setup list: its name, or a stand-in for a device
// that cannot say.
const size_t DEVICE_ENTRY_SIZE = MAXPNAMELEN + 32;

// The system's text for a MIDI result code; a code it does not know still
// gets a readable message.
void showMidiError(HWND window, MMRESULT code) {
    char text[MESSAGE_TEXT_SIZE];
    midiErrorText(code, text, sizeof text);
    showMessage(window, text);
}

void fillDeviceList(HWND dialog) {
    // Inserted at the end in index order, never sorted, so that a list
    // position is a device index.
    for (uint32_t i = 0; i < g_port.deviceCount; ++i) {
        char name[DEVICE_ENTRY_SIZE];
        outputDeviceName(i, name, sizeof name);
        SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, LB_INSERTSTRING, (WPARAM)-1, (LPARAM)name);
    }
    SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, LB_SETCURSEL, g_port.deviceIndex, 0);
}

void takeSelectedDevice(HWND dialog) {
    const LRESULT selected = SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, LB_GETCURSEL, 0, 0);
    // With nothing selected the device stays as it was.
    if (selected == LB_ERR) return;
    g_port.deviceIndex = (uint32_t)selected;
    // Its name as listed, so that it is found again under another number.
    char name[DEVICE_ENTRY_SIZE];
    if (SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, LB_GETTEXT, (WPARAM)selected, (LPARAM)name) != LB_ERR) {
        keepDeviceName(name);
    }
}

} // namespace

bool openSelectedDevice(HWND window) {
    if (openPort() != MMSYSERR_NOERROR) {
        showMessage(window, "Can't open MIDI output device");
        return false;
    }
    const MMRESULT reset = resetPort();
    if (reset != MMSYSERR_NOERROR) {
        showMidiError(window, reset);
        return false;
    }
    sendSectionPrograms();
    return true;
}

bool resetAll(HWND window) {
    forgetAllKeys();
    InvalidateRect(window, nullptr, FALSE);
    // After a failed reopen no device is open: nothing sounds, nothing is
    // wrong with going on, and SETUP can still pick a device.
    const MMRESULT reset = resetPort();
    if (reset == MMSYSERR_NOERROR) return true;
    showMidiError(window, reset);
    DestroyWindow(window);
    return false;
}

bool runDeviceSetup(HWND window) {
    // A modal loop: paint and bend-timer messages still reach the window.
    if (DialogBoxParamA(g_program.instance, "SETUPDLG", window, setupDialogProc, 0) != IDOK) return true;
    closePort();
    return openSelectedDevice(window);
}

void switchOff(HWND window) { DestroyWindow(window); }

INT_PTR CALLBACK setupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        fillDeviceList(dialog);
        return TRUE; // the system sets the focus
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        takeSelectedDevice(dialog);
        EndDialog(dialog, (INT_PTR)wParam);
        return TRUE;
    case IDCANCEL: // also Escape and the close box
        EndDialog(dialog, (INT_PTR)wParam);
        return TRUE;
    default: // the list's own notifications; a double click does not close
        return FALSE;
    }
}
