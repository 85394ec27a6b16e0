// Where the settings file is, and reading and writing it whole: a bounded
// read, and a save that replaces the old file in one step.
#pragma once

#include "platform/win32.h"

#include <cstddef>

// The most of a settings file that is read; a larger one is read this far.
constexpr size_t SETTINGS_FILE_LIMIT = 64 * 1024;

// tonvale.ini beside the program when there is one (a portable install),
// else %APPDATA%\Tonvale\tonvale.ini. False, and path empty, when neither
// can be named.
bool nameSettingsFile(WCHAR (&path)[MAX_PATH]);

// Up to size bytes of the file into text; false when there is no file to read.
bool readSettingsFile(const WCHAR* path, char* text, size_t size, size_t* length);

// Writes text to a new file beside path, then moves it over path in one
// step: a crash or a full disk mid-save leaves the old file as it was.
bool writeSettingsFile(const WCHAR* path, const char* text, size_t length);
