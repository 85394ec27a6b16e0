// Ids of the program's resources, shared by the resource script and code.
#pragma once

#define IDC_DEVICE_LIST 101
