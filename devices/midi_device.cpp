#include "devices/midi_device.h"

#include "base/program.h"
#include "devices/input_device.h"
#include "model/input_notes.h"
#include "model/key_map.h"
#include "model/keys.h"
#include "model/midi_messages.h"
#include "model/performance.h"
#include "port/midi_out_port.h"
#include "resources/resource.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

DeviceNews g_deviceNews;

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

// Why device `failed` does not play, and which one does: device
// g_port.deviceIndex, `how` ("instead", "as before").
void describeFallback(char (&text)[MESSAGE_TEXT_SIZE], uint32_t failed, MMRESULT code, const char* how) {
    char failedName[DEVICE_ENTRY_SIZE], playingName[DEVICE_ENTRY_SIZE], why[MESSAGE_TEXT_SIZE / 2];
    outputDeviceName(failed, failedName, sizeof failedName);
    outputDeviceName(g_port.deviceIndex, playingName, sizeof playingName);
    midiErrorText(code, why, sizeof why);
    std::snprintf(text, sizeof text,
                  "The MIDI output device \"%s\" cannot be opened: %s\n\nTonvale plays on \"%s\" %s.", failedName, why,
                  playingName, how);
}

void fillDeviceList(HWND dialog) {
    // The devices there now, the one in use selected by its name, which
    // keeps while numbers change as devices come and go.
    countOutputDevices();
    uint32_t inUse = g_port.deviceIndex;
    bool found = false;
    // Inserted at the end in index order, never sorted, so that a list
    // position is a device index.
    for (uint32_t i = 0; i < g_port.deviceCount; ++i) {
        char name[DEVICE_ENTRY_SIZE];
        outputDeviceName(i, name, sizeof name);
        if (!found && g_port.handle && std::strcmp(name, g_port.openName) == 0) {
            inUse = i;
            found = true;
        }
        SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, LB_INSERTSTRING, (WPARAM)-1, (LPARAM)name);
    }
    SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, LB_SETCURSEL, inUse, 0);
}

void showKeyLayout(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_KEYS_SPLIT + g_keyMap.layout, BM_SETCHECK, BST_CHECKED, 0);
}

// What the dialog was left with on OK; the program applies it.
struct SetupChoice {
    bool deviceChosen = false; // with nothing selected the device stays as it was
    uint32_t device = 0;
    char deviceName[DEVICE_ENTRY_SIZE] = {};
    int32_t layout = KEYS_SPLIT;
    bool inputChosen = false; // with nothing selected the input stays as it was
    char inputName[MAXPNAMELEN] = {};
};

SetupChoice g_setupChoice;

void takeChoice(HWND dialog) {
    SetupChoice& choice = g_setupChoice;
    choice = SetupChoice{};
    choice.layout = g_keyMap.layout;
    choice.inputChosen = takeInputChoice(dialog, choice.inputName);
    for (int32_t layout = 0; layout < KEY_LAYOUT_COUNT; ++layout) {
        if (SendDlgItemMessageA(dialog, IDC_KEYS_SPLIT + layout, BM_GETCHECK, 0, 0) == BST_CHECKED)
            choice.layout = layout;
    }
    const LRESULT selected = SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return;
    choice.deviceChosen = true;
    choice.device = (uint32_t)selected;
    // Its name as listed, so that it is found again under another number.
    if (SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, LB_GETTEXT, (WPARAM)selected, (LPARAM)choice.deviceName) ==
        LB_ERR) {
        choice.deviceName[0] = 0;
    }
}

// The layout chosen plays from now on (a key held ends as its press
// started); the device chosen is the one to open.
void applyChoice(const SetupChoice& choice) {
    useKeyLayout(choice.layout);
    if (!choice.deviceChosen) return;
    g_port.deviceIndex = choice.device;
    if (choice.deviceName[0]) keepDeviceName(choice.deviceName);
}

// The rest of opening once the system has answered the open: the reset,
// and both sections' programs.
bool finishOpening(HWND window, MMRESULT opened) {
    if (opened != MMSYSERR_NOERROR) {
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

} // namespace

bool openSelectedDevice(HWND window) { return finishOpening(window, openPort()); }

bool openStartDevice(HWND window) {
    const MMRESULT opened = openPort();
    if (opened == MMSYSERR_NOERROR || g_port.deviceIndex == 0) return finishOpening(window, opened);
    const uint32_t remembered = g_port.deviceIndex;
    g_port.deviceIndex = 0; // the remembered name stays: the next start tries it again
    describeFallback(g_deviceNews.startUp, remembered, opened, "instead; SETUP chooses another");
    return openSelectedDevice(window);
}

void tellStartUpNews(HWND window) {
    g_deviceNews.panelShown = true;
    for (char* news : {g_deviceNews.startUp, g_deviceNews.inputStartUp}) {
        if (!news[0]) continue;
        showMessage(window, news);
        news[0] = 0;
    }
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
    const uint32_t playing = g_port.deviceIndex;
    char playingName[MAXPNAMELEN];
    std::snprintf(playingName, sizeof playingName, "%s", g_port.deviceName);
    // A modal loop: paint and bend-timer messages still reach the window.
    const INT_PTR button = DialogBoxParamA(g_program.instance, "SETUPDLG", window, setupDialogProc, 0);
    if (button == -1) showMessage(window, "The SETUP dialog cannot be shown.");
    if (button != IDOK) return true;
    applyChoice(g_setupChoice);
    if (g_setupChoice.inputChosen) useChosenInput(window, g_setupChoice.inputName);
    // The device the input sounds on closes: what it holds ends there.
    endInput();
    InvalidateRect(window, nullptr, FALSE); // the beds and labels of the layout chosen
    markSettingsChanged();
    closePort();
    const MMRESULT opened = openPort();
    if (opened == MMSYSERR_NOERROR || g_port.deviceIndex == playing) return finishOpening(window, opened);
    // Most ports take one program at a time: another may hold this one.
    const uint32_t chosen = g_port.deviceIndex;
    g_port.deviceIndex = playing;
    keepDeviceName(playingName);
    char text[MESSAGE_TEXT_SIZE];
    describeFallback(text, chosen, opened, "as before");
    showMessage(window, text);
    return openSelectedDevice(window);
}

void switchOff(HWND window) { DestroyWindow(window); }

INT_PTR CALLBACK setupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        fillDeviceList(dialog);
        showKeyLayout(dialog);
        fillInputList(dialog);
        return TRUE; // the system sets the focus
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        takeChoice(dialog);
        EndDialog(dialog, (INT_PTR)wParam);
        return TRUE;
    case IDCANCEL: // also Escape and the close box
        EndDialog(dialog, (INT_PTR)wParam);
        return TRUE;
    default: // the list's own notifications; a double click does not close
        return FALSE;
    }
}
