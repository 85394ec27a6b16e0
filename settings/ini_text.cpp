#include "settings/ini_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

const ptrdiff_t MAX_DIGITS = 9;                // more cannot be in any range here, and cannot overflow
const char BYTE_ORDER_MARK[] = "\xEF\xBB\xBF"; // Notepad may put it before the first line

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; } // CR: of a CR LF line end
char lower(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }

TextSpan valueOf(TextSpan s) {
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

} // namespace

bool sameWord(TextSpan s, const char* word) {
    if (s.size() != std::strlen(word)) return false;
    for (size_t i = 0; i < s.size(); ++i) {
        if (lower(s.begin[i]) != lower(word[i])) return false;
    }
    return true;
}

TextSpan trimmed(TextSpan s) {
    while (s.begin < s.end && isBlank(*s.begin)) ++s.begin;
    while (s.end > s.begin && isBlank(s.end[-1])) --s.end;
    return s;
}

bool printable(TextSpan s) {
    for (const char* p = s.begin; p < s.end; ++p) {
        if ((unsigned char)*p < 0x20 || *p == 0x7F) return false;
    }
    return true;
}

bool needsQuotes(TextSpan s) {
    if (s.size() == 0) return false;
    if (isBlank(*s.begin) || isBlank(s.end[-1]) || *s.begin == '"') return true;
    return std::memchr(s.begin, ';', s.size()) != nullptr;
}

void readIniText(const char* text, size_t length, void (*entry)(void* context, const IniEntry& line), void* context) {
    const char* const end = text + length;
    const size_t mark = sizeof BYTE_ORDER_MARK - 1;
    if (length >= mark && std::memcmp(text, BYTE_ORDER_MARK, mark) == 0) text += mark;
    TextSpan section = {text, text};
    while (text < end) {
        const char* newline = (const char*)std::memchr(text, '\n', (size_t)(end - text));
        const TextSpan line = trimmed({text, newline ? newline : end});
        text = newline ? newline + 1 : end;
        if (line.size() == 0 || *line.begin == ';' || *line.begin == '#') continue;
        if (*line.begin == '[') {
            const bool whole = line.size() >= 2 && line.end[-1] == ']';
            section = whole ? trimmed({line.begin + 1, line.end - 1}) : TextSpan{line.begin, line.begin};
            continue;
        }
        const char* equals = (const char*)std::memchr(line.begin, '=', line.size());
        if (!equals) continue;
        entry(context, IniEntry{section, trimmed({line.begin, equals}), valueOf({equals + 1, line.end})});
    }
}

bool readNumber(TextSpan s, int32_t low, int32_t high, int32_t& value) {
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

bool readChoice(TextSpan s, const char* const* names, int32_t count, int32_t& value) {
    for (int32_t i = 0; i < count; ++i) {
        if (!sameWord(s, names[i])) continue;
        value = i;
        return true;
    }
    return false;
}

bool readHex(TextSpan s, size_t digits, int32_t& value) {
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

void put(TextWriter& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(out.text + out.length, out.size - out.length, format, args);
    va_end(args);
    if (written > 0) out.length += (size_t)written;
    if (out.length >= out.size) out.length = out.size - 1;
}
