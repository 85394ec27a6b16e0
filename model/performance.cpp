#include "model/performance.h"

#include "model/key_map.h"

#include <algorithm>
#include <iterator>

PerformanceModel g_model;

void initSections() {
    useKeyLayout(KEYS_SPLIT);
    std::fill(std::begin(g_model.ChannelPatchTable), std::end(g_model.ChannelPatchTable), 0);
    for (int s = 0; s < SECTION_COUNT; ++s) {
        KeyboardSection& section = g_model.sections[s];
        std::fill(std::begin(section.keyDown), std::end(section.keyDown), 0);
        for (int32_t id = 0; id < SELECTABLE_PARAM_COUNT; ++id) section.values[id] = START_PARAMS[id].value;
        section.selectedParam = ParamId::PATCH;
        section.softVolume = SOFT_VOLUME_START;
    }
}
