// libFuzzer target: the settings reader. Whatever the file holds, read from
// the file as start-up reads it: every value is in range, the device name
// is terminated, no key with a meaning of its own plays, what is written reads back as the same settings, and the
// model the settings are restored into starts with well-formed program
// changes, each after its channel's bank if it has one, on the device
// chosen, or on device 0.
#include "model/key_table.h"
#include "model/midi_messages.h"
#include "model/performance.h"
#include "port/midi_out_port.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "tests/fake/fake_win32.h"
#include "tests/unit/program_state.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

namespace {

const char SETTINGS_PATH[] = "C:\\Users\\Musician\\AppData\\Roaming\\Tonvale\\tonvale.ini";

[[noreturn]] void fail(const std::string& reason) {
    std::fprintf(stderr, "settings_fuzzer: %s\n", reason.c_str());
    std::abort();
}

void expectWithin(const char* what, int32_t value, int32_t low, int32_t high) {
    if (value < low || value > high) {
        fail(std::string(what) + " is " + std::to_string(value) + ", not in " + std::to_string(low) + ".." +
             std::to_string(high));
    }
}

void checkRanges(const Settings& settings) {
    for (const SectionSettings& section : settings.sections) {
        for (int32_t id = ParamId::CHANNEL; id < SELECTABLE_PARAM_COUNT; ++id) {
            expectWithin("a section's value", section.values[id], 0, START_PARAMS[id].count - 1);
        }
        expectWithin("the strum", section.strumMs, 0, STRUM_MAX_MS);
        expectWithin("the latch", section.latch, 0, 1);
        expectWithin("the selected parameter", section.selected, 0, SELECTABLE_PARAM_COUNT - 1);
        expectWithin("a soft volume", section.softVolume, 1, 127);
    }
    for (int32_t patch : settings.patches) expectWithin("a channel's patch", patch, 0, 127);
    for (int32_t bank : settings.banks) {
        if (bank != NO_BANK) expectWithin("a channel's bank", bank, 0, BANK_COUNT - 1);
    }
    expectWithin("the percussion channel's patch", settings.patches[PERCUSSION_CHANNEL], 0, 0);
    expectWithin("the active section", settings.activeSection, 0, 1);
    if (!std::memchr(settings.deviceName, 0, sizeof settings.deviceName)) fail("the device name is not ended");
    expectWithin("the key layout", settings.keyLayout, 0, KEY_LAYOUT_COUNT - 1);
    for (int32_t keyId = 0; keyId < KEY_ID_COUNT; ++keyId) {
        const KeyBinding& key = settings.customKeys[keyId];
        expectWithin("a key's section", key.target, PLAYS_NOTHING, reservedKey(keyId) ? PLAYS_NOTHING : PLAYS_ACTIVE);
        expectWithin("a key's offset", key.offset, 0, MAX_KEY_OFFSET);
    }
    if (settings.windowX != NO_WINDOW_POSITION) expectWithin("the window's x", settings.windowX, -32768, 32767);
    if (settings.windowY != NO_WINDOW_POSITION) expectWithin("the window's y", settings.windowY, -32768, 32767);
}

void checkWrittenReadsBack(const Settings& settings) {
    char text[SETTINGS_TEXT_SIZE];
    const size_t length = writeSettingsText(settings, text);
    Settings again;
    readSettingsText(text, length, again);
    if (std::memcmp(&again, &settings, sizeof again) != 0)
        fail("the written file reads back otherwise:\n" + std::string(text));
}

// Start-up's part: the model restored, the device chosen by name, both
// programs sent.
void checkStart(const Settings& settings) {
    g_model = PerformanceModel{};
    g_port = MidiOutPort{};
    initSections();
    restoreModel(settings);
    if (settings.keyLayout == KEYS_CUSTOM &&
        std::memcmp(g_keyMap.playing, settings.customKeys, sizeof g_keyMap.playing) != 0 &&
        std::any_of(std::begin(settings.customKeys), std::end(settings.customKeys),
                    [](const KeyBinding& key) { return key.target != PLAYS_NOTHING; })) {
        fail("the keys do not play the player's own layout");
    }
    g_port.deviceCount = fake::script.deviceCount;
    selectDeviceNamed(settings.deviceName);
    expectWithin("the device", (int32_t)g_port.deviceIndex, 0, (int32_t)g_port.deviceCount - 1);
    openPort();
    fake::clearLog();
    for (const KeyboardSection& section : g_model.sections) {
        expectWithin("a section's patch", paramValue(section, ParamId::PATCH), 0, 127);
    }
    sendSectionPrograms();
    for (size_t i = 0; i < fake::callCount(); ++i) {
        const DWORD message = (DWORD)fake::call(i).args[1];
        const unsigned kind = message & 0xF0, controller = message >> 8 & 0xFF;
        const bool bank = kind == 0xB0 && (controller == 0 || controller == 32);
        if ((kind != 0xC0 && !bank) || (message & 0xFF808000u) != 0) {
            fail("sent " + fake::describeShortMessage(message));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fake::reset();
    fake::script.deviceCount = 2;
    fake::script.deviceNames[1] = "Alpha Port";
    fake::putFile(SETTINGS_PATH, std::string((const char*)data, size));
    resetProgramState();
    loadSettings();
    if (std::strcmp(g_settings.path, SETTINGS_PATH) != 0) fail("the file read is " + std::string(g_settings.path));
    Settings direct;
    readSettingsText((const char*)data, size < SETTINGS_FILE_LIMIT ? size : SETTINGS_FILE_LIMIT, direct);
    if (std::memcmp(&direct, &g_settings.remembered, sizeof direct) != 0)
        fail("the file read otherwise than its bytes");
    checkRanges(g_settings.remembered);
    checkWrittenReadsBack(g_settings.remembered);
    checkStart(g_settings.remembered);
    return 0;
}
