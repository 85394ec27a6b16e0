// The MIDI bytes the program sends and reads: the kinds of channel message
// (a status byte's high four bits) and the controllers it knows.
#pragma once

#include <cstdint>

constexpr uint8_t NOTE_OFF = 0x80;
constexpr uint8_t NOTE_ON = 0x90;
constexpr uint8_t CONTROL_CHANGE = 0xB0;
constexpr uint8_t PROGRAM_CHANGE = 0xC0;
constexpr uint8_t CHANNEL_PRESSURE = 0xD0;
constexpr uint8_t PITCH_BEND = 0xE0;

constexpr int32_t BANK_MSB_CONTROLLER = 0;
constexpr int32_t MODULATION_CONTROLLER = 1;
constexpr int32_t BANK_LSB_CONTROLLER = 32;
constexpr int32_t SUSTAIN_CONTROLLER = 64;
constexpr int32_t FIRST_CHANNEL_MODE_CONTROLLER = 120; // from here up: all sound off, reset, all notes off...
