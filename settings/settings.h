// What the program remembers between runs, and when it is written: read
// once before the window is made, written about a second after a change
// has settled, and at the end; never while a key is held.
#pragma once

#include "base/timers.h"
#include "platform/win32.h"
#include "settings/settings_text.h"

struct SettingsStore {
    // The file in use; empty: none can be named, nothing is remembered.
    WCHAR path[MAX_PATH] = {};
    Settings remembered;      // as read at start-up; start values where nothing valid was
    Settings saved;           // what the file holds, as far as this run knows
    bool savedKnown = false;  // false until the file has been read or written
    Settings pending;         // the settings as last looked at
    bool watching = false;    // from a complete start-up until the end is saved
    bool windowKnown = false; // where the window is, as last seen
    POINT windowPosition = {};
};

extern SettingsStore g_settings;

// What is kept between runs, as the program stands now.
Settings capturedSettings();

// Names the file and reads what it remembers; before the window is made.
void loadSettings();
// Where the panel was left, if the file says.
bool rememberedWindowPosition(POINT* position);
// The remembered sections, patches and active section into the model, and
// the remembered device selected by its name: after the device count is
// read, before the device is opened. The remembered input is named, to be
// opened after the device.
void restoreSettings();
void restoreModel(const Settings& settings);

// From the end of a complete start-up on, changes are saved.
void watchSettings(HWND window);
// After a message that may have changed something remembered: a change
// (re)starts the wait of about a second before it is saved.
void noteSettingsChange(HWND window);
void onWindowMoved(HWND window);
void onSettingsTimer(HWND window);
// At the end: what has not been saved yet is saved now.
void saveSettingsAtEnd();
// The session ends (log-off, shut-down): saved now, held key or not.
void saveSettingsNow();
