#include "base/files.h"

#include <cstdio>
#include <cstring>

namespace {

const char NEW_FILE_SUFFIX[] = ".new";

// The first save makes the folder, say Tonvale under %APPDATA%; later ones
// find it there.
void makeFolderOf(const char* path) {
    char folder[MAX_PATH];
    const size_t length = folderLength(path);
    if (length < 2 || length > sizeof folder) return;
    std::snprintf(folder, sizeof folder, "%.*s", (int)(length - 1), path);
    CreateDirectoryA(folder, nullptr);
}

} // namespace

size_t folderLength(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    return slash ? (size_t)(slash - path + 1) : 0;
}

bool fitsWhole(int written, size_t size) { return written > 0 && (size_t)written < size; }

bool fileBesideProgram(const char* name, char (&path)[MAX_PATH]) {
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return false;
    const size_t folder = folderLength(path);
    if (!fitsWhole(std::snprintf(path + folder, sizeof path - folder, "%s", name), sizeof path - folder)) return false;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool startNewFile(NewFile& file, const char* path) {
    file.path = path;
    file.whole = false;
    if (!fitsWhole(std::snprintf(file.newPath, sizeof file.newPath, "%s%s", path, NEW_FILE_SUFFIX),
                   sizeof file.newPath)) {
        return false;
    }
    makeFolderOf(path);
    file.handle = CreateFileA(file.newPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    file.whole = file.handle != INVALID_HANDLE_VALUE;
    return file.whole;
}

void writeToNewFile(NewFile& file, const void* bytes, size_t length) {
    DWORD written = 0;
    if (file.whole) file.whole = WriteFile(file.handle, bytes, (DWORD)length, &written, nullptr) && written == length;
}

bool putNewFileInPlace(NewFile& file) {
    if (file.handle == INVALID_HANDLE_VALUE) return false;
    // On the disk before it takes the old file's place: a crash must not
    // leave the file's name on a file not yet written.
    const bool whole = file.whole && FlushFileBuffers(file.handle);
    CloseHandle(file.handle);
    file.handle = INVALID_HANDLE_VALUE;
    if (whole && MoveFileExA(file.newPath, file.path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileA(file.newPath);
    return false;
}

bool replaceFile(const char* path, const void* bytes, size_t length) {
    NewFile file;
    if (!startNewFile(file, path)) return false;
    writeToNewFile(file, bytes, length);
    return putNewFileInPlace(file);
}
