#include "model/performance.h"

#include <algorithm>
#include <iterator>

PerformanceModel g_model;

const uint8_t SECTION_SCAN_CODES[SECTION_COUNT][KEY_COUNT] = {
    // Q 2 W 3 E R 5 T 6 Y 7 U I 9 O 0 P
    {0x10, 0x03, 0x11, 0x04, 0x12, 0x13, 0x06, 0x14, 0x07, 0x15, 0x08, 0x16, 0x17, 0x0A, 0x18, 0x0B, 0x19},
    // Z S X D C V G B H N J M , L . ; /
    {0x2C, 0x1F, 0x2D, 0x20, 0x2E, 0x2F, 0x22, 0x30, 0x23, 0x31, 0x24, 0x32, 0x33, 0x26, 0x34, 0x27, 0x35},
};

void initSections() {
    std::fill(std::begin(g_model.ChannelPatchTable), std::end(g_model.ChannelPatchTable), 0);
    for (int s = 0; s < SECTION_COUNT; ++s) {
        KeyboardSection& section = g_model.sections[s];
        std::copy(std::begin(SECTION_SCAN_CODES[s]), std::end(SECTION_SCAN_CODES[s]), section.scanCodes);
        std::fill(std::begin(section.keyDown), std::end(section.keyDown), false);
        for (int32_t id = 0; id < SELECTABLE_PARAM_COUNT; ++id) section.values[id] = START_PARAMS[id].value;
        section.selectedParam = ParamId::PATCH;
    }
}
