// Files the program keeps: where they can go, and writing one so that a
// crash or a full disk never leaves it half written: a new file beside it,
// on the disk, then put in its place in one step.
#pragma once

#include "platform/win32.h"

#include <cstddef>

// The settings file; one beside the program makes a portable install,
// which keeps everything it writes beside the program too.
constexpr char SETTINGS_FILE_NAME[] = "tonvale.ini";

// The length of the folder part of a path, its last backslash included.
size_t folderLength(const char* path);

// A formatted path that fits whole; a cut one would name another file.
bool fitsWhole(int written, size_t size);

// The path of name in the program's own folder, and whether a file (not a
// folder) is there.
bool fileBesideProgram(const char* name, char (&path)[MAX_PATH]);

// A file being written in place of path; see startNewFile.
struct NewFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    const char* path = nullptr;
    char newPath[MAX_PATH + 8] = {};
    bool whole = false; // every write so far went whole to the new file
};

// Opens a new file beside path, making path's folder first if need be.
bool startNewFile(NewFile& file, const char* path);
void writeToNewFile(NewFile& file, const void* bytes, size_t length);
// On the disk, then in place of path; false, and the new file gone, when
// any step failed: the old file at path is then as it was.
bool putNewFileInPlace(NewFile& file);

// The three steps for one piece of text.
bool replaceFile(const char* path, const void* bytes, size_t length);
