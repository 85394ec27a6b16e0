#include "settings/settings_file.h"

#include <cstdio>
#include <cstring>

namespace {

const char FILE_NAME[] = "tonvale.ini";
const char FOLDER_NAME[] = "Tonvale";
const char NEW_FILE_SUFFIX[] = ".new";

// The length of the folder part of a path, its last backslash included.
size_t folderLength(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    return slash ? (size_t)(slash - path + 1) : 0;
}

// A formatted path that fits whole; a cut one would name another file.
bool fits(int written, size_t size) { return written > 0 && (size_t)written < size; }

bool portableFile(char (&path)[MAX_PATH]) {
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return false;
    const size_t folder = folderLength(path);
    if (!fits(std::snprintf(path + folder, sizeof path - folder, "%s", FILE_NAME), sizeof path - folder)) return false;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool roamingFile(char (&path)[MAX_PATH]) {
    char appData[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("APPDATA", appData, sizeof appData);
    if (length == 0 || length >= sizeof appData) return false;
    return fits(std::snprintf(path, sizeof path, "%s\\%s\\%s", appData, FOLDER_NAME, FILE_NAME), sizeof path);
}

// The first save makes the folder under %APPDATA%; later ones find it there.
void makeFolderOf(const char* path) {
    char folder[MAX_PATH];
    const size_t length = folderLength(path);
    if (length < 2 || length > sizeof folder) return;
    std::snprintf(folder, sizeof folder, "%.*s", (int)(length - 1), path);
    CreateDirectoryA(folder, nullptr);
}

} // namespace

bool nameSettingsFile(char (&path)[MAX_PATH]) {
    if (portableFile(path) || roamingFile(path)) return true;
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

bool writeSettingsFile(const char* path, const char* text, size_t length) {
    char newPath[MAX_PATH + sizeof NEW_FILE_SUFFIX];
    if (!fits(std::snprintf(newPath, sizeof newPath, "%s%s", path, NEW_FILE_SUFFIX), sizeof newPath)) return false;
    makeFolderOf(path);
    const HANDLE file = CreateFileA(newPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    // On the disk before it takes the old file's place: a crash must not
    // leave the file's name on a file not yet written.
    const bool complete =
        WriteFile(file, text, (DWORD)length, &written, nullptr) && written == length && FlushFileBuffers(file);
    CloseHandle(file);
    if (complete && MoveFileExA(newPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileA(newPath);
    return false;
}
