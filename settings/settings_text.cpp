#include "settings/settings_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// The INI sections: one per keyboard section, left first, then the patch
// of each channel, then the device, the active section and the window.
enum Group { GROUP_NONE = -1, GROUP_LEFT, GROUP_RIGHT, GROUP_PATCHES, GROUP_GENERAL, GROUP_KEYS, GROUP_COUNT };
const char* const GROUP_NAMES[GROUP_COUNT] = {"Left", "Right", "Patches", "General", "Keys"};
const char* const LAYOUT_NAMES[KEY_LAYOUT_COUNT] = {"Split", "Single", "Custom"};
// By KeyTarget, from PLAYS_LEFT on: the section a key plays.
const char* const TARGET_NAMES[] = {"Left", "Right", "Active"};

// Keys by their legend on a US keyboard, so that a file reads the same on
// every keyboard layout; any other key as ScanXX or ScanE0XX.
struct KeyName {
    const char* name;
    int32_t keyId;
};
const KeyName KEY_NAMES[] = {
    {"1", 0x02},
    {"2", 0x03},
    {"3", 0x04},
    {"4", 0x05},
    {"5", 0x06},
    {"6", 0x07},
    {"7", 0x08},
    {"8", 0x09},
    {"9", 0x0A},
    {"0", 0x0B},
    {"Minus", 0x0C},
    {"Equal", 0x0D},
    {"Backspace", 0x0E},
    {"Q", 0x10},
    {"W", 0x11},
    {"E", 0x12},
    {"R", 0x13},
    {"T", 0x14},
    {"Y", 0x15},
    {"U", 0x16},
    {"I", 0x17},
    {"O", 0x18},
    {"P", 0x19},
    {"BracketLeft", 0x1A},
    {"BracketRight", 0x1B},
    {"Enter", 0x1C},
    {"A", 0x1E},
    {"S", 0x1F},
    {"D", 0x20},
    {"F", 0x21},
    {"G", 0x22},
    {"H", 0x23},
    {"J", 0x24},
    {"K", 0x25},
    {"L", 0x26},
    {"Semicolon", 0x27},
    {"Quote", 0x28},
    {"Backquote", 0x29},
    {"Backslash", 0x2B},
    {"Z", 0x2C},
    {"X", 0x2D},
    {"C", 0x2E},
    {"V", 0x2F},
    {"B", 0x30},
    {"N", 0x31},
    {"M", 0x32},
    {"Comma", 0x33},
    {"Period", 0x34},
    {"Slash", 0x35},
    {"F1", 0x3B},
    {"F2", 0x3C},
    {"F3", 0x3D},
    {"F4", 0x3E},
    {"F5", 0x3F},
    {"F6", 0x40},
    {"F7", 0x41},
    {"F8", 0x42},
    {"F10", 0x44},
    {"IntlBackslash", 0x56},
    {"F11", 0x57},
    {"F12", 0x58},
    {"Home", KEY_EXTENDED | 0x47},
    {"End", KEY_EXTENDED | 0x4F},
    {"Insert", KEY_EXTENDED | 0x52},
    {"Delete", KEY_EXTENDED | 0x53},
};
const char SCAN_PREFIX[] = "Scan";
const char EXTENDED_PREFIX[] = "E0";
static_assert(GROUP_LEFT == 0 && GROUP_RIGHT == 1 && SECTION_COUNT == 2, "a group per section, named as its side");

// A section's numbers as the panel shows them: channels counted from 1.
struct NumberKey {
    const char* name;
    int32_t param;
    int32_t shownFrom;
};
const NumberKey NUMBER_KEYS[] = {
    {"Channel", ParamId::CHANNEL, 1},
    {"Octave", ParamId::OCTAVE, 0},
    {"Volume", ParamId::VOLUME, 0},
    {"Transpose", ParamId::TRANSPOSE, 0},
};
const char* const PARAM_NAMES[SELECTABLE_PARAM_COUNT] = {"Patch", "Channel", "Octave", "Volume", "Transpose"};
const char* const CHORD_NAMES[2] = {"Off", "On"};
const char* const WINDOW_KEYS[2] = {"WindowX", "WindowY"};
const char PATCH_KEY[] = "Channel";            // Channel1=..Channel16= in [Patches]
const int32_t PATCH_SHOWN_FROM = 1;            // patches are numbered from 1, as in the patch-name file
const int32_t WINDOW_LIMIT = 32767;            // screen coordinates the system can place a window at
const ptrdiff_t MAX_DIGITS = 9;                // more cannot be in any range here, and cannot overflow
const char BYTE_ORDER_MARK[] = "\xEF\xBB\xBF"; // Notepad may put it before the first line

struct Span {
    const char* begin;
    const char* end;
    size_t size() const { return (size_t)(end - begin); }
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; } // CR: of a CR LF line end
char lower(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }

Span trimmed(Span s) {
    while (s.begin < s.end && isBlank(*s.begin)) ++s.begin;
    while (s.end > s.begin && isBlank(s.end[-1])) --s.end;
    return s;
}

bool sameWord(Span s, const char* word) {
    if (s.size() != std::strlen(word)) return false;
    for (size_t i = 0; i < s.size(); ++i) {
        if (lower(s.begin[i]) != lower(word[i])) return false;
    }
    return true;
}

// A value as common INI readers take it: a ';' after a blank starts a
// comment, and a value in double quotes is what stands between them, blanks
// at either end included.
Span valueOf(Span s) {
    for (const char* p = s.begin + 1; p < s.end; ++p) {
        if (*p == ';' && isBlank(p[-1])) {
            s.end = p;
            break;
        }
    }
    s = trimmed(s);
    if (s.size() >= 2 && *s.begin == '"' && s.end[-1] == '"') return {s.begin + 1, s.end - 1};
    return s;
}

// Written in quotes, a value keeps what the reader would otherwise cut.
bool needsQuotes(Span s) {
    if (s.size() == 0) return false;
    if (isBlank(*s.begin) || isBlank(s.end[-1]) || *s.begin == '"') return true;
    return std::memchr(s.begin, ';', s.size()) != nullptr;
}

bool printable(Span s) {
    for (const char* p = s.begin; p < s.end; ++p) {
        if ((unsigned char)*p < 0x20 || *p == 0x7F) return false;
    }
    return true;
}

// A whole decimal number in low..high, an optional minus before it; false
// for anything else, and value is left alone.
bool readNumber(Span s, int32_t low, int32_t high, int32_t& value) {
    const bool negative = s.begin < s.end && *s.begin == '-';
    const char* p = s.begin + (negative ? 1 : 0);
    if (p == s.end || s.end - p > MAX_DIGITS) return false;
    int64_t number = 0;
    for (; p < s.end; ++p) {
        if (*p < '0' || *p > '9') return false;
        number = number * 10 + (*p - '0');
    }
    if (negative) number = -number;
    if (number < low || number > high) return false;
    value = (int32_t)number;
    return true;
}

// One of the names, in any case, as its index.
bool readChoice(Span s, const char* const* names, int32_t count, int32_t& value) {
    for (int32_t i = 0; i < count; ++i) {
        if (!sameWord(s, names[i])) continue;
        value = i;
        return true;
    }
    return false;
}

// A hexadecimal number of exactly `digits` digits.
bool readHex(Span s, size_t digits, int32_t& value) {
    if (s.size() != digits) return false;
    int32_t number = 0;
    for (const char* p = s.begin; p < s.end; ++p) {
        const char c = lower(*p);
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return false;
        number = number * 16 + digit;
    }
    value = number;
    return true;
}

bool readKeyId(Span s, int32_t& keyId) {
    for (const KeyName& key : KEY_NAMES) {
        if (!sameWord(s, key.name)) continue;
        keyId = key.keyId;
        return true;
    }
    const size_t prefix = sizeof SCAN_PREFIX - 1;
    if (s.size() <= prefix || !sameWord({s.begin, s.begin + prefix}, SCAN_PREFIX)) return false;
    const Span code = {s.begin + prefix, s.end};
    const bool extended = code.size() == 4 && sameWord({code.begin, code.begin + 2}, EXTENDED_PREFIX);
    int32_t scanCode = 0;
    if (!readHex(extended ? Span{code.begin + 2, code.end} : code, 2, scanCode) || scanCode == 0) return false;
    keyId = scanCode | (extended ? KEY_EXTENDED : 0);
    return true;
}

struct Reader {
    Settings& settings;
    int32_t group;
    bool windowRead[2];
    int32_t window[2];
    bool keyRead[KEY_ID_COUNT]; // a key named twice plays as its first line says
};

// KEY=Left N, KEY=Right N or KEY=Active N.
void readKeyEntry(Reader& reader, Span key, Span value) {
    int32_t keyId = 0;
    if (!readKeyId(key, keyId) || reservedKey(keyId) || reader.keyRead[keyId]) return;
    const char* blank = value.begin;
    while (blank < value.end && !isBlank(*blank)) ++blank;
    int32_t target = 0;
    int32_t offset = 0;
    if (!readChoice({value.begin, blank}, TARGET_NAMES, 3, target)) return;
    if (!readNumber(trimmed({blank, value.end}), 0, MAX_KEY_OFFSET, offset)) return;
    reader.settings.customKeys[keyId] = KeyBinding{(uint8_t)(PLAYS_LEFT + target), (uint8_t)offset};
    reader.keyRead[keyId] = true;
}

void readSectionEntry(SectionSettings& section, Span key, Span value) {
    for (const NumberKey& number : NUMBER_KEYS) {
        const int32_t top = START_PARAMS[number.param].count - 1 + number.shownFrom;
        int32_t shown = 0;
        if (sameWord(key, number.name) && readNumber(value, number.shownFrom, top, shown)) {
            section.values[number.param] = shown - number.shownFrom;
        }
    }
    if (sameWord(key, "Chord")) readChoice(value, CHORD_NAMES, 2, section.chord);
    if (sameWord(key, "Selected")) readChoice(value, PARAM_NAMES, SELECTABLE_PARAM_COUNT, section.selected);
}

void readPatchEntry(Settings& settings, Span key, Span value) {
    const size_t prefix = sizeof PATCH_KEY - 1;
    if (key.size() <= prefix || !sameWord({key.begin, key.begin + prefix}, PATCH_KEY)) return;
    int32_t channel = 0;
    int32_t patch = 0;
    if (!readNumber({key.begin + prefix, key.end}, 1, CHANNEL_COUNT, channel)) return;
    if (!readNumber(value, PATCH_SHOWN_FROM, START_PARAMS[ParamId::PATCH].count, patch)) return;
    settings.patches[channel - 1] = patch - PATCH_SHOWN_FROM;
}

void readGeneralEntry(Reader& reader, Span key, Span value) {
    Settings& settings = reader.settings;
    if (sameWord(key, "ActiveSection")) readChoice(value, GROUP_NAMES, SECTION_COUNT, settings.activeSection);
    if (sameWord(key, "Keys")) readChoice(value, LAYOUT_NAMES, KEY_LAYOUT_COUNT, settings.keyLayout);
    // A name too long for the system's device names is no device's.
    if (sameWord(key, "Device") && value.size() < MAXPNAMELEN && printable(value)) {
        copyDeviceName(settings.deviceName, value.begin, value.size());
    }
    for (int axis = 0; axis < 2; ++axis) {
        if (!sameWord(key, WINDOW_KEYS[axis])) continue;
        if (readNumber(value, -WINDOW_LIMIT - 1, WINDOW_LIMIT, reader.window[axis])) reader.windowRead[axis] = true;
    }
}

void readLine(Reader& reader, Span line) {
    line = trimmed(line);
    if (line.size() == 0 || *line.begin == ';' || *line.begin == '#') return;
    if (*line.begin == '[') {
        reader.group = GROUP_NONE; // the entries of a section not ours are skipped
        if (line.size() >= 2 && line.end[-1] == ']') {
            readChoice(trimmed({line.begin + 1, line.end - 1}), GROUP_NAMES, GROUP_COUNT, reader.group);
        }
        return;
    }
    const char* equals = (const char*)std::memchr(line.begin, '=', line.size());
    if (!equals) return;
    const Span key = trimmed({line.begin, equals});
    const Span value = valueOf({equals + 1, line.end});
    switch (reader.group) {
    case GROUP_LEFT:
    case GROUP_RIGHT: readSectionEntry(reader.settings.sections[reader.group], key, value); break;
    case GROUP_PATCHES: readPatchEntry(reader.settings, key, value); break;
    case GROUP_GENERAL: readGeneralEntry(reader, key, value); break;
    case GROUP_KEYS: readKeyEntry(reader, key, value); break;
    default: break;
    }
}

// Appends formatted text, cut at the end of the buffer.
struct TextWriter {
    char* text;
    size_t size;
    size_t length;
};

void put(TextWriter& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(out.text + out.length, out.size - out.length, format, args);
    va_end(args);
    if (written > 0) out.length += (size_t)written;
    if (out.length >= out.size) out.length = out.size - 1;
}

const char* nameOf(const char* const* names, int32_t count, int32_t index) {
    return index >= 0 && index < count ? names[index] : names[0];
}

void writeSection(TextWriter& out, int32_t s, const SectionSettings& section) {
    put(out, "[%s]\r\n", GROUP_NAMES[s]);
    for (const NumberKey& number : NUMBER_KEYS) {
        put(out, "%s=%d\r\n", number.name, section.values[number.param] + number.shownFrom);
    }
    put(out, "Chord=%s\r\n", CHORD_NAMES[section.chord != 0]);
    put(out, "Selected=%s\r\n\r\n", nameOf(PARAM_NAMES, SELECTABLE_PARAM_COUNT, section.selected));
}

void writeKeyName(TextWriter& out, int32_t keyId) {
    for (const KeyName& key : KEY_NAMES) {
        if (key.keyId != keyId) continue;
        put(out, "%s", key.name);
        return;
    }
    put(out, "%s%s%02X", SCAN_PREFIX, (keyId & KEY_EXTENDED) ? EXTENDED_PREFIX : "", (unsigned)(keyId & 0xFF));
}

// The player's own layout, kept while another plays, key by key.
void writeKeys(TextWriter& out, const KeyBinding (&keys)[KEY_ID_COUNT]) {
    bool any = false;
    for (int32_t keyId = 0; keyId < KEY_ID_COUNT; ++keyId) {
        const KeyBinding& binding = keys[keyId];
        if (binding.target < PLAYS_LEFT || binding.target > PLAYS_ACTIVE || reservedKey(keyId)) continue;
        if (!any) put(out, "\r\n[%s]\r\n", GROUP_NAMES[GROUP_KEYS]);
        any = true;
        writeKeyName(out, keyId);
        put(out, "=%s %d\r\n", TARGET_NAMES[binding.target - PLAYS_LEFT], binding.offset);
    }
}

} // namespace

void readSettingsText(const char* text, size_t length, Settings& settings) {
    Reader reader = {settings, GROUP_NONE, {false, false}, {0, 0}, {}};
    const char* const end = text + length;
    const size_t mark = sizeof BYTE_ORDER_MARK - 1;
    if (length >= mark && std::memcmp(text, BYTE_ORDER_MARK, mark) == 0) text += mark;
    while (text < end) {
        const char* newline = (const char*)std::memchr(text, '\n', (size_t)(end - text));
        readLine(reader, {text, newline ? newline : end});
        if (!newline) break;
        text = newline + 1;
    }
    if (reader.windowRead[0] && reader.windowRead[1]) {
        settings.windowKnown = 1;
        settings.windowX = reader.window[0];
        settings.windowY = reader.window[1];
    }
    settings.patches[PERCUSSION_CHANNEL] = 0; // it plays patch 0 alone
}

size_t writeSettingsText(const Settings& settings, char (&text)[SETTINGS_TEXT_SIZE]) {
    TextWriter out = {text, sizeof text, 0};
    text[0] = 0;
    put(out, "; Tonvale's settings, kept between runs. Delete this file to start afresh.\r\n\r\n");
    for (int32_t s = 0; s < SECTION_COUNT; ++s) writeSection(out, s, settings.sections[s]);
    put(out, "[%s]\r\n", GROUP_NAMES[GROUP_PATCHES]);
    for (int32_t channel = 0; channel < CHANNEL_COUNT; ++channel) {
        put(out, "%s%d=%d\r\n", PATCH_KEY, channel + 1, settings.patches[channel] + PATCH_SHOWN_FROM);
    }
    const Span name = {settings.deviceName, settings.deviceName + deviceNameLength(settings.deviceName)};
    const bool shown = printable(name);
    const char* quote = shown && needsQuotes(name) ? "\"" : "";
    put(out, "\r\n[%s]\r\nActiveSection=%s\r\nDevice=%s%.*s%s\r\nKeys=%s\r\n", GROUP_NAMES[GROUP_GENERAL],
        nameOf(GROUP_NAMES, SECTION_COUNT, settings.activeSection), quote, shown ? (int)name.size() : 0, name.begin,
        quote, nameOf(LAYOUT_NAMES, KEY_LAYOUT_COUNT, settings.keyLayout));
    if (settings.windowKnown) {
        put(out, "%s=%d\r\n%s=%d\r\n", WINDOW_KEYS[0], settings.windowX, WINDOW_KEYS[1], settings.windowY);
    }
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
