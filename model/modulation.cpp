#include "model/modulation.h"

#include "model/midi_messages.h"
#include "model/performance.h"

#include <algorithm>

namespace {

// From 0 to the top in about a third of a second at one step a timer tick
// (10 ms under Wine, 15.6 ms on a stock Windows).
const int32_t RAMP_STEP = 6;

int32_t activeChannel() { return paramValue(g_model.sections[g_model.activeSection], ParamId::CHANNEL); }

} // namespace

bool aimModulation(bool up) {
    Modulation& modulation = g_model.modulation;
    modulation.target = up ? MODULATION_TOP : 0;
    if (up && modulation.channel == NO_CHANNEL) modulation.channel = activeChannel();
    if (!up && modulation.value == 0) modulation.channel = NO_CHANNEL; // let go before it rose
    return modulation.channel != NO_CHANNEL && modulation.value != modulation.target;
}

bool stepModulationRamp() {
    Modulation& modulation = g_model.modulation;
    int32_t& value = modulation.value;
    const int32_t target = modulation.target;
    // Ended meanwhile, or there already (pressed again at the top).
    if (modulation.channel == NO_CHANNEL || value == target) return false;
    value = target > value ? std::min(value + RAMP_STEP, target) : std::max(value - RAMP_STEP, target);
    sendModulationOn(modulation.channel);
    if (value == 0) modulation.channel = NO_CHANNEL; // at rest: the next rise is the active channel's
    return value != target;
}

void endModulation() {
    const Modulation modulation = g_model.modulation;
    g_model.modulation = Modulation{};
    // At rest there, or at the input's modulation.
    if (modulation.channel != NO_CHANNEL && modulation.value != 0) sendModulationOn(modulation.channel);
}

void endModulationElsewhere() {
    if (g_model.modulation.channel != NO_CHANNEL && g_model.modulation.channel != activeChannel()) endModulation();
}
