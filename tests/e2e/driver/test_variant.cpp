// The test driver: a log file, read by the end-to-end tests, and nothing else.
#include "tests/e2e/driver/driver_variant.h"

const DriverVariant DRIVER_VARIANT = {"Tonvale Test Synth", "midi.log", nullptr, nullptr, nullptr, nullptr, nullptr};
