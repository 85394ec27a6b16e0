#include "settings/settings_file.h"

#include "base/files.h"

#include <cstdio>

namespace {

const char FOLDER_NAME[] = "Tonvale";

bool roamingFile(char (&path)[MAX_PATH]) {
    char appData[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("APPDATA", appData, sizeof appData);
    if (length == 0 || length >= sizeof appData) return false;
    return fitsWhole(std::snprintf(path, sizeof path, "%s\\%s\\%s", appData, FOLDER_NAME, SETTINGS_FILE_NAME),
                     sizeof path);
}

} // namespace

bool nameSettingsFile(char (&path)[MAX_PATH]) {
    if (fileBesideProgram(SETTINGS_FILE_NAME, path) || roamingFile(path)) return true;
    path[0] = 0;
    return false;
}

bool readSettingsFile(const char* path, char* text, size_t size, size_t* length) {
    *length = 0;
    const HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD got = 0;
    // A read may bring less than asked for; one that brings nothing is the end.
    while (*length < size && ReadFile(file, text + *length, (DWORD)(size - *length), &got, nullptr) && got > 0) {
        *length += got;
    }
    CloseHandle(file);
    return true;
}

bool writeSettingsFile(const char* path, const char* text, size_t length) { return replaceFile(path, text, length); }
