#include "settings/settings_file.h"

#include "base/files.h"

#include <cwchar>
#include <iterator>

namespace {

const WCHAR FOLDER_NAME[] = L"Tonvale";

bool roamingFile(WCHAR (&path)[MAX_PATH]) {
    WCHAR appData[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", appData, (DWORD)std::size(appData));
    if (length == 0 || length >= std::size(appData)) return false;
    return fitsWhole(std::swprintf(path, std::size(path), L"%ls\\%ls\\%ls", appData, FOLDER_NAME, SETTINGS_FILE_NAME),
                     std::size(path));
}

} // namespace

bool nameSettingsFile(WCHAR (&path)[MAX_PATH]) {
    if (fileBesideProgram(SETTINGS_FILE_NAME, path) || roamingFile(path)) return true;
    path[0] = 0;
    return false;
}

bool readSettingsFile(const WCHAR* path, char* text, size_t size, size_t* length) {
    *length = 0;
    const HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD got = 0;
    // A read may bring less than asked for; one that brings nothing is the end.
    while (*length < size && ReadFile(file, text + *length, (DWORD)(size - *length), &got, nullptr) && got > 0) {
        *length += got;
    }
    CloseHandle(file);
    return true;
}

bool writeSettingsFile(const WCHAR* path, const char* text, size_t length) { return replaceFile(path, text, length); }
