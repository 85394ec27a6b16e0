// Telling the user of a take that cannot be saved where it belongs, in
// the system's words, with the ways to keep it: the fallback folder, or
// another place chosen with the standard Save As dialog. Only ever while
// the player has stopped: each of these is a modal window.
#pragma once

#include "platform/win32.h"
#include "takes/take_file.h"

// Where a failed save was to go, and the system's code for why it did not.
struct SaveFailure {
    DWORD error = 0;
    const WCHAR* folder = L""; // empty: the system named no folder
};

enum class Rescue { KEEP_TRYING, FALLBACK, CHOSEN };

// Why the take was not saved, and which way to keep it; CHOSEN comes with
// the path chosen.
Rescue askRescue(HWND owner, const Take& take, const SaveFailure& failure, WCHAR (&path)[MAX_PATH]);

// At the end: the take is in the fallback folder, at path, and why.
void tellKeptInFallback(const Take& take, const SaveFailure& failure, const WCHAR* path);

// At the end, when neither where it belongs nor the fallback folder would
// take it: true with a path chosen, false when the user lets it go.
bool askLastPlace(const Take& take, const SaveFailure& failure, const SaveFailure& fallback, WCHAR (&path)[MAX_PATH]);
