#include "model/patch_names.h"

#include <cstdio>
#include <cstring>

PatchNames g_patchNames;

namespace {

const char PATCH_NAME_FILE[] = "gm_ins.nms";
const int END_OF_TEXT = 0x1A; // Ctrl-Z: Windows text mode reads no further

// The file as Windows text mode reads it, on every system alike: CR LF is
// one newline wherever it falls, and Ctrl-Z ends the file.
struct TextReader {
    std::FILE* file;
    bool ended;
};

int readCharacter(TextReader& reader) {
    if (reader.ended) return EOF;
    const int c = std::fgetc(reader.file);
    if (c == '\r') {
        const int next = std::fgetc(reader.file);
        if (next == '\n') return '\n';
        if (next != EOF) std::ungetc(next, reader.file);
    }
    if (c == EOF || c == END_OF_TEXT) reader.ended = true;
    return reader.ended ? EOF : c;
}

// One line's entry into text; false at the end of the file or at the first
// empty line, which ends the list. The rest of a line too long is skipped,
// so that every name stays on its program number.
bool readEntry(TextReader& reader, char (&text)[PATCH_NAME_LENGTH + 1]) {
    size_t length = 0;
    for (int c = readCharacter(reader); c != EOF && c != '\n'; c = readCharacter(reader)) {
        if (length < PATCH_NAME_LENGTH) text[length++] = (char)c;
    }
    text[length] = 0;
    if (length == 0) return false;
    if (char* equals = std::strchr(text, '=')) *equals = ' ';
    return true;
}

} // namespace

bool loadPatchNames() {
    // Binary, and read as text mode would: the same on every system.
    std::FILE* file = std::fopen(PATCH_NAME_FILE, "rb");
    if (!file) return false;
    TextReader reader = {file, false};
    PatchNames& table = g_patchNames;
    table.count = 0;
    while (table.count < MAX_PATCH_NAMES && readEntry(reader, table.names[table.count])) ++table.count;
    std::fclose(file);
    return true;
}

const char* patchName(int32_t program) {
    if (program < 0 || (unsigned)program >= g_patchNames.count) return "";
    return g_patchNames.names[program];
}
