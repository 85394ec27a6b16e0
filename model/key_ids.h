// A computer key by where it sits, whatever the keyboard layout: its set-1
// scan code, with KEY_EXTENDED added for a key that sends an E0 prefix.
#pragma once

#include <cstdint>

constexpr int32_t KEY_EXTENDED = 0x100;
constexpr int32_t KEY_ID_COUNT = 0x200;
constexpr int32_t NO_KEY = -1;
