// Plain INI text as common INI readers take it: [sections], key=value lines,
// comments, values in quotes. It knows no field of the program's; the
// settings' schema says what each entry means.
#pragma once

#include <cstddef>
#include <cstdint>

struct TextSpan {
    const char* begin;
    const char* end;
    size_t size() const { return (size_t)(end - begin); }
};

// Letters in either case.
bool sameWord(TextSpan s, const char* word);
TextSpan trimmed(TextSpan s);
// Printable bytes only: a value with a control character is no name.
bool printable(TextSpan s);
// Written in quotes, a value keeps what the reader would otherwise cut.
bool needsQuotes(TextSpan s);

// Each key=value line of the text, with the section it stands in (empty
// before the first, and after a header that is not whole). A ';' after a
// blank starts a comment; a value in double quotes is what stands between
// them, blanks at either end included.
struct IniEntry {
    TextSpan section;
    TextSpan key;
    TextSpan value;
};
void readIniText(const char* text, size_t length, void (*entry)(void* context, const IniEntry& line), void* context);

// A whole decimal number in low..high, an optional minus before it; false
// for anything else, and value is left alone.
bool readNumber(TextSpan s, int32_t low, int32_t high, int32_t& value);
// One of the names, in any case, as its index.
bool readChoice(TextSpan s, const char* const* names, int32_t count, int32_t& value);
// A hexadecimal number of exactly `digits` digits.
bool readHex(TextSpan s, size_t digits, int32_t& value);

// Appends formatted text, cut at the end of the buffer, which stays terminated.
struct TextWriter {
    char* text;
    size_t size;
    size_t length;
};
void put(TextWriter& out, const char* format, ...);
