#include "devices/midi_out_port.h"

#include "app/main_window.h"
#include "app/message_box.h"
#include "model/keyboard_sections.h"
#include "model/midi_messages.h"
#include "resources/resource.h"

#include <cstdio>
#include <cstring>

MidiOutPort midiOutPort;

namespace {

// The system's text for a MIDI result code; a code it does not know still
// gets a readable message.
void showMidiError(HWND window, MMRESULT code) {
    char text[MESSAGE_TEXT_SIZE];
    if (midiOutGetErrorTextA(code, text, sizeof text) != MMSYSERR_NOERROR) {
        std::snprintf(text, sizeof text, "MIDI output error %u", code);
    }
    showMessage(window, text);
}

void closeDevice() {
    if (!midiOutPort.handle) return;
    midiOutReset(midiOutPort.handle);
    midiOutClose(midiOutPort.handle);
    // Cleared at once: if the reopen fails, later sends must not reach a
    // handle that was closed and may since belong to someone else.
    midiOutPort.handle = nullptr;
}

void fillDeviceList(HWND dialog) {
    // Inserted at the end in index order, never sorted, so that a list
    // position is a device index.
    for (uint32_t i = 0; i < midiOutPort.deviceCount; ++i) {
        MIDIOUTCAPSA caps;
        char name[sizeof caps.szPname + 32];
        if (midiOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR) {
            std::snprintf(name, sizeof name, "%.*s", (int)sizeof caps.szPname, caps.szPname);
        } else {
            std::snprintf(name, sizeof name, "MIDI output %u (unavailable)", i + 1);
        }
        SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, LB_INSERTSTRING, (WPARAM)-1, (LPARAM)name);
    }
    SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, LB_SETCURSEL, midiOutPort.deviceIndex, 0);
}

void takeSelectedDevice(HWND dialog) {
    const LRESULT selected = SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, LB_GETCURSEL, 0, 0);
    // With nothing selected the device stays as it was.
    if (selected != LB_ERR) midiOutPort.deviceIndex = (uint32_t)selected;
}

} // namespace

int openSelectedDevice(HWND window) {
    midiOutPort.lastResult =
        midiOutOpen(&midiOutPort.handle, midiOutPort.deviceIndex, (DWORD_PTR)window, 0, CALLBACK_WINDOW);
    if (midiOutPort.lastResult != MMSYSERR_NOERROR) {
        showMessage(window, "Can't open MIDI output device");
        return 0;
    }
    midiOutPort.lastResult = midiOutReset(midiOutPort.handle);
    if (midiOutPort.lastResult != MMSYSERR_NOERROR) {
        showMidiError(window, midiOutPort.lastResult);
        return 0;
    }
    return 1;
}

int resetAll(HWND window) {
    for (KeyboardSection& section : sections) std::memset(section.keyDown, 0, sizeof section.keyDown);
    InvalidateRect(window, nullptr, FALSE);
    midiOutPort.lastResult = midiOutReset(midiOutPort.handle);
    if (midiOutPort.lastResult == MMSYSERR_NOERROR) return 1;
    showMidiError(window, midiOutPort.lastResult);
    DestroyWindow(window);
    return 0;
}

int runDeviceSetup(HWND window) {
    // A modal loop: paint and bend-timer messages still reach the window.
    if (DialogBoxParamA(programInstance, "SETUPDLG", window, setupDialogProc, 0) != IDOK) return 1;
    closeDevice();
    if (!openSelectedDevice(window)) return 0;
    applyPatch(sections[0]);
    applyPatch(sections[1]);
    return 1;
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
