// The patch names, read once at start-up from the patch-name file in the
// current folder: the PATCH menu lists them and the displays show them.
#pragma once

#include <cstdint>

// An entry keeps at most this many characters of its line.
constexpr unsigned PATCH_NAME_LENGTH = 126;
// The file may hold more; only these many are read.
constexpr unsigned MAX_PATCH_NAMES = 1000;

struct PatchNames {
    unsigned count = 0;
    char names[MAX_PATCH_NAMES][PATCH_NAME_LENGTH + 1] = {}; // in program order, '=' shown as a space
};

extern PatchNames g_patchNames;

// Reads "gm_ins.nms": one name per line in program order, up to the first
// empty line. False when the file cannot be opened.
bool loadPatchNames();

// The name of a program as the file gives it, or "" for a program the file
// does not name.
const char* patchName(int32_t program);
