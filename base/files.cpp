#include "base/files.h"

#include <cwchar>
#include <iterator>

namespace {

const WCHAR NEW_FILE_SUFFIX[] = L".new";

// The first save makes the folders, say Tonvale under %APPDATA% or
// Tonvale\Takes under %LOCALAPPDATA%; later ones find them there. Each
// folder from the top down: one that is there already refuses, which is
// as good. The system's code when the file's own folder could not be made
// (access denied, say), which says more than the file's "path not found".
DWORD makeFoldersOf(const WCHAR* path) {
    WCHAR folder[MAX_PATH];
    const size_t length = folderLength(path);
    if (length < 2 || length > std::size(folder)) return 0;
    DWORD error = 0;
    for (size_t end = 1; end < length; ++end) {
        if (path[end] != L'\\' || path[end - 1] == L'\\' || path[end - 1] == L':') continue;
        std::wmemcpy(folder, path, end);
        folder[end] = 0;
        error = CreateDirectoryW(folder, nullptr) ? 0 : GetLastError();
    }
    return error == ERROR_ALREADY_EXISTS ? 0 : error;
}

// The code of the step that failed first; later ones do not hide it.
void noteFailure(NewFile& file) {
    if (file.error == 0) file.error = GetLastError();
}

} // namespace

size_t folderLength(const WCHAR* path) {
    const WCHAR* slash = std::wcsrchr(path, L'\\');
    return slash ? (size_t)(slash - path + 1) : 0;
}

bool fitsWhole(int written, size_t size) { return written > 0 && (size_t)written < size; }

bool fileBesideProgram(const WCHAR* name, WCHAR (&path)[MAX_PATH]) {
    const DWORD length = GetModuleFileNameW(nullptr, path, (DWORD)std::size(path));
    if (length == 0 || length >= std::size(path)) return false;
    const size_t folder = folderLength(path);
    if (!fitsWhole(std::swprintf(path + folder, std::size(path) - folder, L"%ls", name), std::size(path) - folder))
        return false;
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool startNewFile(NewFile& file, const WCHAR* path) {
    file.path = path;
    file.whole = false;
    file.error = 0;
    if (!fitsWhole(std::swprintf(file.newPath, std::size(file.newPath), L"%ls%ls", path, NEW_FILE_SUFFIX),
                   std::size(file.newPath))) {
        file.error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    const DWORD folderError = makeFoldersOf(path);
    file.handle = CreateFileW(file.newPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    file.whole = file.handle != INVALID_HANDLE_VALUE;
    if (!file.whole) file.error = folderError ? folderError : GetLastError();
    return file.whole;
}

void writeToNewFile(NewFile& file, const void* bytes, size_t length) {
    DWORD written = 0;
    if (!file.whole) return;
    file.whole = WriteFile(file.handle, bytes, (DWORD)length, &written, nullptr) && written == length;
    if (!file.whole) noteFailure(file);
}

bool putNewFileInPlace(NewFile& file) {
    if (file.handle == INVALID_HANDLE_VALUE) return false;
    // On the disk before it takes the old file's place: a crash must not
    // leave the file's name on a file not yet written.
    const bool whole = file.whole && FlushFileBuffers(file.handle);
    if (file.whole && !whole) noteFailure(file);
    CloseHandle(file.handle);
    file.handle = INVALID_HANDLE_VALUE;
    if (whole && MoveFileExW(file.newPath, file.path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    if (whole) noteFailure(file);
    DeleteFileW(file.newPath);
    return false;
}

bool replaceFile(const WCHAR* path, const void* bytes, size_t length) {
    NewFile file;
    if (!startNewFile(file, path)) return false;
    writeToNewFile(file, bytes, length);
    return putNewFileInPlace(file);
}

void systemWords(DWORD error, WCHAR (&text)[SYSTEM_WORDS_SIZE]) {
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                  (DWORD)std::size(text), nullptr);
    // The system ends its words with a line break, which the message
    // places itself.
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ')) --length;
    if (length == 0) std::swprintf(text, std::size(text), L"The system gives error %u.", (unsigned)error);
    else text[length] = 0;
}
