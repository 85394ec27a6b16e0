#include "settings/settings_text.h"

#include "model/key_table.h"
#include "settings/ini_text.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const SECTION_NAMES[SECTION_COUNT] = {"Left", "Right"};
const char* const PARAM_NAMES[SELECTABLE_PARAM_COUNT] = {"Patch", "Channel", "Octave", "Volume", "Transpose", "Chord"};
// By ChordType.
const char* const CHORD_NAMES[] = {"Off", "Major", "Minor", "7", "Maj7", "Min7", "Sus2", "Sus4", "Dim", "Aug"};
const char* const OFF_ON_NAMES[] = {"Off", "On"};
const char* const LAYOUT_NAMES[KEY_LAYOUT_COUNT] = {"Split", "Single", "Custom"};
// By KeyTarget, from PLAYS_LEFT on: the section a key plays.
const char* const TARGET_NAMES[] = {"Left", "Right", "Active"};
const char KEYS_GROUP[] = "Keys";
const char SCAN_PREFIX[] = "Scan";
const char EXTENDED_PREFIX[] = "E0";
const int32_t WINDOW_LIMIT = 32767; // screen coordinates the system can place a window at

template <size_t N>
constexpr int32_t countOf(const char* const (&)[N]) {
    return (int32_t)N;
}

static_assert(countOf(CHORD_NAMES) == ChordType::COUNT, "a name for every chord type");

// Another name a CHOICE reads as one of its values, as older files have it.
struct ChoiceAlias {
    const char* name;
    int32_t value;
};
// Chord mode knew only major chords before it knew types.
const ChoiceAlias CHORD_ALIASES[] = {{"On", ChordType::MAJOR}};

// Where a field's values live: one per section, one per channel, or one.
enum class Scope : uint8_t { SECTION, CHANNEL, GENERAL };
enum class Kind : uint8_t { NUMBER, CHOICE, NAME };
using DeviceName = char[MAXPNAMELEN];

// One value of the file: where it is written, what it may be, where the
// program keeps it. A number is written shownFrom above the value kept, as
// the panel shows it (channels from 1).
struct Field {
    Scope scope;
    const char* group; // the file's section; a SECTION field's is the section's name
    const char* name;  // a CHANNEL field's is followed by the channel's number, from 1
    Kind kind;
    int32_t low; // a NUMBER as written
    int32_t high;
    int32_t shownFrom;
    const char* const* choices; // a CHOICE's names, by value
    int32_t choiceCount;
    int32_t start; // the value kept at a first run
    bool optional; // written only when it is not its start value
    int32_t& (*at)(Settings& settings, int32_t index);
    DeviceName& (*text)(Settings& settings); // a NAME's
    const ChoiceAlias* aliases = nullptr;    // a CHOICE's other names, read and never written
    int32_t aliasCount = 0;
};

constexpr Field number(Scope scope, const char* group, const char* name, int32_t low, int32_t high, int32_t shownFrom,
                       int32_t start, int32_t& (*at)(Settings&, int32_t)) {
    return Field{scope, group, name, Kind::NUMBER, low, high, shownFrom, nullptr, 0, start, false, at, nullptr};
}
template <size_t N>
constexpr Field choice(Scope scope, const char* group, const char* name, const char* const (&choices)[N], int32_t start,
                       int32_t& (*at)(Settings&, int32_t)) {
    return Field{scope, group, name, Kind::CHOICE, 0, 0, 0, choices, countOf(choices), start, false, at, nullptr};
}
template <size_t N>
constexpr Field withAliases(Field field, const ChoiceAlias (&aliases)[N]) {
    field.aliases = aliases;
    field.aliasCount = (int32_t)N;
    return field;
}
constexpr Field optional(Field field, int32_t absent) {
    field.start = absent;
    field.optional = true;
    return field;
}

// In the order the file has them.
const Field FIELDS[] = {
    number(Scope::SECTION, nullptr, "Channel", 1, CHANNEL_COUNT, 1, START_PARAMS[ParamId::CHANNEL].value,
           [](Settings& s, int32_t i) -> int32_t& { return s.sections[i].values[ParamId::CHANNEL]; }),
    number(Scope::SECTION, nullptr, "Octave", 0, OCTAVE_COUNT - 1, 0, START_PARAMS[ParamId::OCTAVE].value,
           [](Settings& s, int32_t i) -> int32_t& { return s.sections[i].values[ParamId::OCTAVE]; }),
    number(Scope::SECTION, nullptr, "Volume", 0, START_PARAMS[ParamId::VOLUME].count - 1, 0,
           START_PARAMS[ParamId::VOLUME].value,
           [](Settings& s, int32_t i) -> int32_t& { return s.sections[i].values[ParamId::VOLUME]; }),
    number(Scope::SECTION, nullptr, "SoftVolume", 1, START_PARAMS[ParamId::VOLUME].count - 1, 0, SOFT_VOLUME_START,
           [](Settings& s, int32_t i) -> int32_t& { return s.sections[i].softVolume; }),
    number(Scope::SECTION, nullptr, "Transpose", 0, START_PARAMS[ParamId::TRANSPOSE].count - 1, 0,
           START_PARAMS[ParamId::TRANSPOSE].value,
           [](Settings& s, int32_t i) -> int32_t& { return s.sections[i].values[ParamId::TRANSPOSE]; }),
    withAliases(choice(Scope::SECTION, nullptr, "Chord", CHORD_NAMES, START_PARAMS[ParamId::CHORD].value,
                       [](Settings& s, int32_t i) -> int32_t& { return s.sections[i].values[ParamId::CHORD]; }),
                CHORD_ALIASES),
    choice(Scope::SECTION, nullptr, "Selected", PARAM_NAMES, ParamId::PATCH,
           [](Settings& s, int32_t i) -> int32_t& { return s.sections[i].selected; }),
    number(Scope::SECTION, nullptr, "Strum", 0, STRUM_MAX_MS, 0, 0,
           [](Settings& s, int32_t i) -> int32_t& { return s.sections[i].strumMs; }),
    choice(Scope::SECTION, nullptr, "Latch", OFF_ON_NAMES, 0,
           [](Settings& s, int32_t i) -> int32_t& { return s.sections[i].latch; }),
    // Patches numbered from 1, as the patch-name file numbers them.
    number(Scope::CHANNEL, "Patches", "Channel", 1, START_PARAMS[ParamId::PATCH].count, 1,
           START_PARAMS[ParamId::PATCH].value, [](Settings& s, int32_t i) -> int32_t& { return s.patches[i]; }),
    // Only for a synthesizer with more than 128 sounds: a line per channel given one.
    optional(number(Scope::CHANNEL, "Banks", "Channel", 0, BANK_COUNT - 1, 0, 0,
                    [](Settings& s, int32_t i) -> int32_t& { return s.banks[i]; }),
             NO_BANK),
    choice(Scope::GENERAL, "General", "ActiveSection", SECTION_NAMES, 0,
           [](Settings& s, int32_t) -> int32_t& { return s.activeSection; }),
    Field{Scope::GENERAL, "General", "Device", Kind::NAME, 0, 0, 0, nullptr, 0, 0, false, nullptr,
          [](Settings& s) -> DeviceName& { return s.deviceName; }},
    choice(Scope::GENERAL, "General", "Keys", LAYOUT_NAMES, KEYS_SPLIT,
           [](Settings& s, int32_t) -> int32_t& { return s.keyLayout; }),
    // Off or On; written only when On.
    optional(choice(Scope::GENERAL, "General", "Background", OFF_ON_NAMES, 0,
                    [](Settings& s, int32_t) -> int32_t& { return s.background; }),
             0),
    optional(choice(Scope::GENERAL, "General", "PassKeys", OFF_ON_NAMES, 0,
                    [](Settings& s, int32_t) -> int32_t& { return s.passKeys; }),
             0),
    optional(number(Scope::GENERAL, "General", "WindowX", -WINDOW_LIMIT - 1, WINDOW_LIMIT, 0, 0,
                    [](Settings& s, int32_t) -> int32_t& { return s.windowX; }),
             NO_WINDOW_POSITION),
    optional(number(Scope::GENERAL, "General", "WindowY", -WINDOW_LIMIT - 1, WINDOW_LIMIT, 0, 0,
                    [](Settings& s, int32_t) -> int32_t& { return s.windowY; }),
             NO_WINDOW_POSITION),
    // Written once chosen: a first run's file is as it always was.
    optional(Field{Scope::GENERAL, "General", "Input", Kind::NAME, 0, 0, 0, nullptr, 0, 0, false, nullptr,
                   [](Settings& s) -> DeviceName& { return s.inputName; }},
             0),
    optional(number(Scope::GENERAL, "General", "SplitNote", 0, NOTE_COUNT - 1, 0, SPLIT_NOTE_START,
                    [](Settings& s, int32_t) -> int32_t& { return s.splitNote; }),
             SPLIT_NOTE_START),
};

int32_t indexCount(Scope scope) {
    return scope == Scope::SECTION ? SECTION_COUNT : scope == Scope::CHANNEL ? CHANNEL_COUNT : 1;
}

bool inGroup(const Field& field, TextSpan group, int32_t index) {
    return sameWord(group, field.scope == Scope::SECTION ? SECTION_NAMES[index] : field.group);
}

// The entry's key names the field, at the index of its section or channel.
bool namesField(const Field& field, TextSpan key, int32_t index) {
    if (field.scope != Scope::CHANNEL) return sameWord(key, field.name);
    const size_t prefix = std::strlen(field.name);
    int32_t channel = 0;
    return key.size() > prefix && sameWord({key.begin, key.begin + prefix}, field.name) &&
           readNumber({key.begin + prefix, key.end}, 1, CHANNEL_COUNT, channel) && channel == index + 1;
}

bool readAlias(const Field& field, TextSpan value, int32_t& read) {
    for (int32_t i = 0; i < field.aliasCount; ++i) {
        if (!sameWord(value, field.aliases[i].name)) continue;
        read = field.aliases[i].value;
        return true;
    }
    return false;
}

// A valid value replaces the one kept; anything else leaves it.
void readField(const Field& field, Settings& settings, int32_t index, TextSpan value) {
    if (field.kind == Kind::NAME) {
        // A name too long for the system's device names is no device's.
        if (value.size() < MAXPNAMELEN && printable(value))
            copyDeviceName(field.text(settings), value.begin, value.size());
        return;
    }
    int32_t read = 0;
    if (field.kind == Kind::CHOICE &&
        (readChoice(value, field.choices, field.choiceCount, read) || readAlias(field, value, read))) {
        field.at(settings, index) = read;
    } else if (field.kind == Kind::NUMBER && readNumber(value, field.low, field.high, read)) {
        field.at(settings, index) = read - field.shownFrom;
    }
}

void writeField(TextWriter& out, const Field& field, Settings& settings, int32_t index) {
    if (field.scope == Scope::CHANNEL) {
        put(out, "%s%d=", field.name, (int)index + 1);
    } else {
        put(out, "%s=", field.name);
    }
    if (field.kind == Kind::NAME) {
        const DeviceName& name = field.text(settings);
        const TextSpan span = {name, name + deviceNameLength(name)};
        const bool shown = printable(span);
        const char* quote = shown && needsQuotes(span) ? "\"" : "";
        put(out, "%s%.*s%s\r\n", quote, shown ? (int)span.size() : 0, span.begin, quote);
        return;
    }
    const int32_t value = field.at(settings, index);
    if (field.kind == Kind::CHOICE) {
        put(out, "%s\r\n", field.choices[value >= 0 && value < field.choiceCount ? value : 0]);
    } else {
        put(out, "%d\r\n", (int)(value + field.shownFrom));
    }
}

bool written(const Field& field, Settings& settings, int32_t index) {
    if (!field.optional) return true;
    return field.kind == Kind::NAME ? field.text(settings)[0] != 0 : field.at(settings, index) != field.start;
}

// Keys by the key table's names, so that a file reads the same on every
// keyboard layout; any other key as ScanXX or ScanE0XX.
bool readKeyId(TextSpan s, int32_t& keyId) {
    for (size_t i = 0; i < KEY_TABLE_SIZE; ++i) {
        if (!KEY_TABLE[i].name || !sameWord(s, KEY_TABLE[i].name)) continue;
        keyId = KEY_TABLE[i].keyId;
        return true;
    }
    const size_t prefix = sizeof SCAN_PREFIX - 1;
    if (s.size() <= prefix || !sameWord({s.begin, s.begin + prefix}, SCAN_PREFIX)) return false;
    const TextSpan code = {s.begin + prefix, s.end};
    const bool extended = code.size() == 4 && sameWord({code.begin, code.begin + 2}, EXTENDED_PREFIX);
    int32_t scanCode = 0;
    if (!readHex(extended ? TextSpan{code.begin + 2, code.end} : code, 2, scanCode)) return false;
    keyId = scanCode | (extended ? KEY_EXTENDED : 0);
    return true;
}

struct Reader {
    Settings& settings;
    bool keyRead[KEY_ID_COUNT]; // a key named twice plays as its first line says
};

// KEY=Left N, KEY=Right N or KEY=Active N.
void readKeyEntry(Reader& reader, TextSpan key, TextSpan value) {
    int32_t keyId = 0;
    if (!readKeyId(key, keyId) || reservedKey(keyId) || reader.keyRead[keyId]) return;
    const char* blank = value.begin;
    while (blank < value.end && *blank != ' ' && *blank != '\t') ++blank;
    int32_t target = 0;
    int32_t offset = 0;
    if (!readChoice({value.begin, blank}, TARGET_NAMES, countOf(TARGET_NAMES), target)) return;
    if (!readNumber(trimmed({blank, value.end}), 0, MAX_KEY_OFFSET, offset)) return;
    reader.settings.customKeys[keyId] = KeyBinding{(uint8_t)(PLAYS_LEFT + target), (uint8_t)offset};
    reader.keyRead[keyId] = true;
}

void readEntry(void* context, const IniEntry& entry) {
    Reader& reader = *(Reader*)context;
    if (sameWord(entry.section, KEYS_GROUP)) {
        readKeyEntry(reader, entry.key, entry.value);
        return;
    }
    for (const Field& field : FIELDS) {
        for (int32_t index = 0; index < indexCount(field.scope); ++index) {
            if (inGroup(field, entry.section, index) && namesField(field, entry.key, index))
                readField(field, reader.settings, index, entry.value);
        }
    }
}

void writeKeyName(TextWriter& out, int32_t keyId) {
    const KeyInfo* key = keyInfo(keyId);
    if (key && key->name) {
        put(out, "%s", key->name);
    } else {
        put(out, "%s%s%02X", SCAN_PREFIX, (keyId & KEY_EXTENDED) ? EXTENDED_PREFIX : "", (unsigned)(keyId & 0xFF));
    }
}

// The player's own layout, kept while another plays, key by key.
void writeKeys(TextWriter& out, const KeyBinding (&keys)[KEY_ID_COUNT]) {
    bool any = false;
    for (int32_t keyId = 0; keyId < KEY_ID_COUNT; ++keyId) {
        const KeyBinding& binding = keys[keyId];
        if (binding.target < PLAYS_LEFT || binding.target > PLAYS_ACTIVE || reservedKey(keyId)) continue;
        if (!any) put(out, "\r\n[%s]\r\n", KEYS_GROUP);
        any = true;
        writeKeyName(out, keyId);
        put(out, "=%s %d\r\n", TARGET_NAMES[binding.target - PLAYS_LEFT], binding.offset);
    }
}

// One section of the file, its header only when it has a line to write:
// that of keyboard section s (0, 1), or of the named group (s -1).
void writeGroup(TextWriter& out, Settings& settings, const char* group, int32_t s) {
    bool any = false;
    for (const Field& field : FIELDS) {
        if ((field.scope == Scope::SECTION) != (s >= 0)) continue;
        if (s < 0 && std::strcmp(field.group, group) != 0) continue;
        const int32_t first = s >= 0 ? s : 0;
        const int32_t last = s >= 0 ? s + 1 : indexCount(field.scope);
        for (int32_t index = first; index < last; ++index) {
            if (!written(field, settings, index)) continue;
            if (!any) put(out, "\r\n[%s]\r\n", group);
            any = true;
            writeField(out, field, settings, index);
        }
    }
}

// Each keyboard section's group, then the others in the order the table
// first names them.
void writeGroups(TextWriter& out, Settings& settings) {
    for (int32_t s = 0; s < SECTION_COUNT; ++s) writeGroup(out, settings, SECTION_NAMES[s], s);
    for (const Field& field : FIELDS) {
        if (field.scope == Scope::SECTION) continue;
        const bool first = std::none_of(FIELDS, &field, [&](const Field& earlier) {
            return earlier.scope != Scope::SECTION && std::strcmp(earlier.group, field.group) == 0;
        });
        if (first) writeGroup(out, settings, field.group, -1);
    }
}

} // namespace

Settings::Settings() {
    for (const Field& field : FIELDS) {
        for (int32_t index = 0; index < indexCount(field.scope); ++index) {
            if (field.kind != Kind::NAME) field.at(*this, index) = field.start;
        }
    }
}

void readSettingsText(const char* text, size_t length, Settings& settings) {
    Reader reader = {settings, {}};
    readIniText(text, length, readEntry, &reader);
    settings.patches[PERCUSSION_CHANNEL] = 0; // it plays patch 0 alone
}

size_t writeSettingsText(const Settings& settings, char (&text)[SETTINGS_TEXT_SIZE]) {
    TextWriter out = {text, sizeof text, 0};
    text[0] = 0;
    Settings kept = settings; // the fields are reached through one accessor for reading and writing
    put(out, "; Tonvale's settings, kept between runs. Delete this file to start afresh.\r\n");
    writeGroups(out, kept);
    writeKeys(out, settings.customKeys);
    return out.length;
}

size_t deviceNameLength(const char (&name)[MAXPNAMELEN]) {
    const void* end = std::memchr(name, 0, sizeof name);
    return end ? (size_t)((const char*)end - name) : sizeof name;
}

void copyDeviceName(char (&to)[MAXPNAMELEN], const char* from, size_t length) {
    std::memset(to, 0, sizeof to);
    std::memcpy(to, from, length < sizeof to ? length : sizeof to - 1);
}
