#include "display/key_labels.h"

#include "model/key_map.h"
#include "model/key_table.h"
#include "model/performance.h"

#include <cstdio>

KeyNames g_keyNames;

namespace {

static_assert(sizeof KeyNames::known == KEY_ID_COUNT, "a name for every key");
static_assert(KEY_LABEL_COUNT == KEY_COUNT, "a label for every key of a bed");

const char MARKED_LABEL[] = "?";

// Where several computer keys play one key, the label names the plainest:
// no extended key, and in Single the row the bed shows (the Q row on the
// upper bed, the Z row on the lower).
int32_t rank(int32_t keyId, int32_t bed) {
    const KeyInfo* key = keyInfo(keyId);
    const SplitRow row = key ? key->row : SplitRow::NONE;
    const bool otherRow = g_keyMap.view == KEYS_SINGLE && row == (bed == 1 ? SplitRow::LOWER : SplitRow::UPPER);
    return ((keyId & KEY_EXTENDED) ? 2 : 0) + (otherRow ? 1 : 0);
}

const char* nameOf(int32_t keyId) {
    if (!g_keyNames.known[keyId]) {
        const LONG keyData = (LONG)(keyId & 0xFF) << 16 | ((keyId & KEY_EXTENDED) ? 1L << 24 : 0);
        char* name = g_keyNames.names[keyId];
        if (GetKeyNameTextA(keyData, name, (int)KEY_NAME_SIZE) <= 0) {
            std::snprintf(name, KEY_NAME_SIZE, "%02X", (unsigned)(keyId & 0xFF));
        }
        g_keyNames.known[keyId] = true;
    }
    return g_keyNames.names[keyId];
}

} // namespace

void keyLabels(const char* (&labels)[2][KEY_LABEL_COUNT]) {
    int32_t best[2][KEY_LABEL_COUNT];
    BedView views[2];
    for (int32_t bed = 0; bed < 2; ++bed) {
        views[bed] = bedView(bed);
        for (int32_t& keyId : best[bed]) keyId = NO_KEY;
    }
    // One walk over the keys for both beds, each key where its note is shown.
    for (int32_t keyId = 0; keyId < KEY_ID_COUNT; ++keyId) {
        const KeyBinding& binding = g_keyMap.playing[keyId];
        if (binding.target == PLAYS_NOTHING) continue;
        for (int32_t bed = 0; bed < 2; ++bed) {
            const int32_t k = binding.offset - views[bed].first;
            if (sectionOf(binding.target) != sectionOf(views[bed].target) || k < 0 || k >= KEY_LABEL_COUNT) continue;
            int32_t& current = best[bed][k];
            if (current == NO_KEY || rank(keyId, bed) < rank(current, bed)) current = keyId;
        }
    }
    for (int32_t bed = 0; bed < 2; ++bed) {
        for (int32_t k = 0; k < KEY_LABEL_COUNT; ++k) {
            const bool marked = g_keyMap.markedBed == bed && g_keyMap.markedKey == k;
            labels[bed][k] = marked ? MARKED_LABEL : best[bed][k] == NO_KEY ? "" : nameOf(best[bed][k]);
        }
    }
}

void forgetKeyNames(HWND window) {
    g_keyNames = KeyNames{};
    InvalidateRect(window, nullptr, FALSE);
}
