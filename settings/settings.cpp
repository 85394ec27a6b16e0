#include "settings/settings.h"

#include "input/background_keys.h"
#include "model/key_map.h"
#include "model/keys.h"
#include "model/performance.h"
#include "port/midi_in_port.h"
#include "port/midi_out_port.h"
#include "settings/settings_file.h"

#include <algorithm>
#include <cstring>
#include <iterator>

SettingsStore g_settings;

namespace {

// Long enough for a knob drag's steps to come to rest, short enough that a
// program killed loses no more than the last second.
const UINT SETTLE_MS = 1000;

bool same(const Settings& a, const Settings& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A failed save is no news to the musician: it is tried again with the
// next change, and at the end.
void save(const Settings& settings) {
    if (!g_settings.path[0] || (g_settings.savedKnown && same(settings, g_settings.saved))) return;
    char text[SETTINGS_TEXT_SIZE];
    const size_t length = writeSettingsText(settings, text);
    if (!writeSettingsFile(g_settings.path, text, length)) return;
    g_settings.saved = settings;
    g_settings.savedKnown = true;
}

void trackWindow(HWND window) {
    RECT rect;
    g_settings.windowKnown = GetWindowRect(window, &rect) != 0;
    if (g_settings.windowKnown) g_settings.windowPosition = POINT{rect.left, rect.top};
}

} // namespace

Settings capturedSettings() {
    Settings now;
    std::copy(std::begin(g_model.ChannelPatchTable), std::end(g_model.ChannelPatchTable), now.patches);
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        const KeyboardSection& section = g_model.sections[s];
        SectionSettings& kept = now.sections[s];
        for (int32_t id = ParamId::CHANNEL; id < SELECTABLE_PARAM_COUNT; ++id)
            kept.values[id] = paramValue(section, id);
        kept.selected = section.selectedParam;
        kept.strumMs = section.strumMs;
        kept.latch = section.latch ? 1 : 0;
        kept.softVolume = section.softVolume;
    }
    for (int32_t c = 0; c < CHANNEL_COUNT; ++c) {
        const ChannelBank& bank = g_model.channelBanks[c];
        now.banks[c] = bank.set ? bank.number : NO_BANK;
    }
    now.activeSection = g_model.activeSection;
    copyDeviceName(now.deviceName, g_port.deviceName, deviceNameLength(g_port.deviceName));
    now.windowX = g_settings.windowKnown ? g_settings.windowPosition.x : NO_WINDOW_POSITION;
    now.windowY = g_settings.windowKnown ? g_settings.windowPosition.y : NO_WINDOW_POSITION;
    now.keyLayout = g_keyMap.layout;
    now.background = g_model.backgroundArmed ? 1 : 0;
    now.passKeys = g_backgroundKeys.passKeys ? 1 : 0;
    std::copy(std::begin(g_keyMap.custom), std::end(g_keyMap.custom), now.customKeys);
    copyDeviceName(now.inputName, g_input.deviceName, deviceNameLength(g_input.deviceName));
    now.splitNote = g_model.splitNote;
    return now;
}

void loadSettings() {
    g_settings.remembered = Settings{};
    if (!nameSettingsFile(g_settings.path)) return;
    char text[SETTINGS_FILE_LIMIT];
    size_t length = 0;
    if (!readSettingsFile(g_settings.path, text, sizeof text, &length)) return;
    readSettingsText(text, length, g_settings.remembered);
    g_settings.saved = g_settings.remembered;
    g_settings.savedKnown = true;
}

bool rememberedWindowPosition(POINT* position) {
    const Settings& remembered = g_settings.remembered;
    if (remembered.windowX == NO_WINDOW_POSITION || remembered.windowY == NO_WINDOW_POSITION) return false;
    *position = POINT{remembered.windowX, remembered.windowY};
    return true;
}

void restoreSettings() {
    restoreModel(g_settings.remembered);
    selectDeviceNamed(g_settings.remembered.deviceName);
    keepInputName(g_settings.remembered.inputName);
}

void restoreModel(const Settings& settings) {
    std::copy(std::begin(settings.patches), std::end(settings.patches), g_model.ChannelPatchTable);
    for (int32_t s = 0; s < SECTION_COUNT; ++s) {
        KeyboardSection& section = g_model.sections[s];
        const SectionSettings& kept = settings.sections[s];
        for (int32_t id = ParamId::CHANNEL; id < SELECTABLE_PARAM_COUNT; ++id) section.values[id] = kept.values[id];
        section.selectedParam = kept.selected;
        if (chordModeOn(s)) section.lastChordType = paramValue(section, ParamId::CHORD);
        section.strumMs = kept.strumMs;
        section.latch = kept.latch != 0;
        section.softVolume = kept.softVolume;
    }
    for (int32_t c = 0; c < CHANNEL_COUNT; ++c) {
        g_model.channelBanks[c] = settings.banks[c] == NO_BANK ? ChannelBank{} : ChannelBank{true, settings.banks[c]};
    }
    g_model.activeSection = settings.activeSection;
    g_model.splitNote = settings.splitNote;
    g_model.backgroundArmed = settings.background != 0;
    g_backgroundKeys.passKeys = settings.passKeys != 0;
    restoreKeyMap(settings.keyLayout, settings.customKeys);
}

void watchSettings(HWND window) {
    trackWindow(window);
    g_settings.pending = capturedSettings();
    g_settings.watching = true;
}

void noteSettingsChange(HWND window) {
    if (!g_settings.watching) return;
    const Settings now = capturedSettings();
    if (same(now, g_settings.pending)) return;
    g_settings.pending = now;
    // Set again, the timer starts its wait over: forty knob steps make one save.
    SetTimer(window, TIMER_SETTINGS_SAVE, SETTLE_MS, nullptr);
}

void onWindowMoved(HWND window) {
    if (!g_settings.watching) return;
    trackWindow(window);
    noteSettingsChange(window);
}

void onSettingsTimer(HWND window) {
    // A save waits while a key is held, a second at a time: writing a file
    // is no business of a performance.
    if (!g_settings.watching || anyKeySounds()) return;
    KillTimer(window, TIMER_SETTINGS_SAVE);
    save(g_settings.pending);
}

void saveSettingsAtEnd() {
    saveSettingsNow();
    g_settings.watching = false;
}

void saveSettingsNow() {
    if (g_settings.watching) save(capturedSettings());
}
