// Where takes go: Documents\Tonvale, or Takes beside the program for a
// portable install; and, for a take that cannot be saved there, the
// fallback folder %LOCALAPPDATA%\Tonvale\Takes. A take's file is named
// after its start.
#pragma once

#include "platform/win32.h"
#include "takes/take_file.h"

// Where takes belong; false when the system names no Documents folder.
bool takesFolder(WCHAR (&folder)[MAX_PATH]);

// Where a take goes that cannot be saved where takes belong.
bool fallbackFolder(WCHAR (&folder)[MAX_PATH]);

// A path in folder that no file has: the take's title, with a number after
// it when another take started in the same second (or the clock was put back).
bool freeTakePath(const WCHAR* folder, const Take& take, WCHAR (&path)[MAX_PATH]);

// The take's title and extension, as the Save As dialog offers it.
void takeFileName(const Take& take, WCHAR (&name)[MAX_PATH]);
