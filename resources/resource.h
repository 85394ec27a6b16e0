// Ids of the program's resources, shared by the resource script and code.
#pragma once

#define IDC_DEVICE_LIST 101
// The key layouts' buttons, in the order of KeyLayout: Split, Single, Custom.
#define IDC_KEYS_SPLIT 102
#define IDC_KEYS_SINGLE 103
#define IDC_KEYS_CUSTOM 104
#define IDC_INPUT_LIST 105
