// The settings file's text: an INI file a musician can read and edit in
// Notepad. Reading takes any bytes at all and keeps, value by value, what
// is there and valid; writing gives one layout. No system call here, so
// that anything can be fed to the reader.
#pragma once

#include "model/key_map.h"
#include "model/performance.h"
#include "platform/win32.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

struct SectionSettings {
    // By ParamId, Channel..Chord; the Patch entry is not used: a
    // section's patch is the one remembered for its channel.
    int32_t values[SELECTABLE_PARAM_COUNT] = {};
    int32_t selected = 0;
    int32_t strumMs = 0;
    int32_t latch = 0;      // 0 off, 1 on
    int32_t softVolume = 0; // the velocity with Shift held
};

// A window coordinate the file does not give.
constexpr int32_t NO_WINDOW_POSITION = INT32_MIN;
// A channel the file gives no bank.
constexpr int32_t NO_BANK = -1;

// Everything remembered between runs. A record made anew holds the start
// values of a first run, as the settings' schema gives them.
struct Settings {
    SectionSettings sections[SECTION_COUNT];
    int32_t patches[CHANNEL_COUNT] = {}; // the patch remembered per channel
    int32_t banks[CHANNEL_COUNT] = {};   // per channel, or NO_BANK
    int32_t activeSection = 0;
    int32_t windowX = 0; // where the panel was left; NO_WINDOW_POSITION: not known
    int32_t windowY = 0;
    // The MIDI output device by name, zero-filled after it; empty: device 0.
    char deviceName[MAXPNAMELEN] = {};
    int32_t keyLayout = 0;
    int32_t background = 0;                   // 1: playing behind other windows armed
    int32_t passKeys = 0;                     // 1: the keys played behind reach the window in front too
    KeyBinding customKeys[KEY_ID_COUNT] = {}; // the player's own layout, kept while another plays
    // The MIDI input by name, zero-filled after it; empty: none.
    char inputName[MAXPNAMELEN] = {};
    int32_t splitNote = 0; // incoming notes from here up play the right section
    Settings();
};
// Whole numbers and bytes with no padding: two records are the same
// settings exactly when their bytes are the same.
static_assert(std::has_unique_object_representations_v<Settings>, "settings compare byte for byte");

// Room for the text writeSettingsText makes, with any device name.
constexpr size_t SETTINGS_TEXT_SIZE = 16 * 1024;

// Each value of text that names something remembered and is valid replaces
// that value in settings; everything else is left as it was.
void readSettingsText(const char* text, size_t length, Settings& settings);

// The file's text for settings, with CR LF line ends, terminated; its length.
size_t writeSettingsText(const Settings& settings, char (&text)[SETTINGS_TEXT_SIZE]);

// The length of a name held in MAXPNAMELEN characters, terminated or not.
size_t deviceNameLength(const char (&name)[MAXPNAMELEN]);

// A device name as the settings keep it: at most MAXPNAMELEN - 1
// characters, zero-filled after them.
void copyDeviceName(char (&to)[MAXPNAMELEN], const char* from, size_t length);
