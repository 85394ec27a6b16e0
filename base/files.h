// Files the program keeps: where they can go, and writing one so that a
// crash or a full disk never leaves it half written: a new file beside it,
// on the disk, then put in its place in one step. Paths are wide text
// throughout, so that a user folder with any name works on any Windows.
#pragma once

#include "platform/win32.h"

#include <cstddef>

// The settings file; one beside the program makes a portable install,
// which keeps everything it writes beside the program too.
constexpr WCHAR SETTINGS_FILE_NAME[] = L"tonvale.ini";

// The most of the system's words for a failure that are kept.
constexpr size_t SYSTEM_WORDS_SIZE = 256;

// The length of the folder part of a path, its last backslash included.
size_t folderLength(const WCHAR* path);

// A formatted path that fits whole; a cut one would name another file.
bool fitsWhole(int written, size_t size);

// The path of name in the program's own folder, and whether a file (not a
// folder) is there.
bool fileBesideProgram(const WCHAR* name, WCHAR (&path)[MAX_PATH]);

// A file being written in place of path; see startNewFile.
struct NewFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    const WCHAR* path = nullptr;
    WCHAR newPath[MAX_PATH + 8] = {};
    bool whole = false; // every write so far went whole to the new file
    DWORD error = 0;    // the system's code for the first step that failed
};

// Opens a new file beside path, making path's folders first if need be.
bool startNewFile(NewFile& file, const WCHAR* path);
void writeToNewFile(NewFile& file, const void* bytes, size_t length);
// On the disk, then in place of path; false, and the new file gone, when
// any step failed: the old file at path is then as it was.
bool putNewFileInPlace(NewFile& file);

// The three steps for one piece of text.
bool replaceFile(const WCHAR* path, const void* bytes, size_t length);

// What the system says of a failure's code, in the user's language, on one line.
void systemWords(DWORD error, WCHAR (&text)[SYSTEM_WORDS_SIZE]);
