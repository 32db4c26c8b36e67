// SPDX-License-Identifier: MIT
#pragma once

#include "devicetable.h"

namespace DEV {

// One device of devices.json as the build writes it into the library
// (devicetablegen.cpp): a program learns the table without reading JSON.
struct DeviceRow
{
    const char *device;
    const char *id;
    const char *description;
    PllLimits pll;
};

extern const DeviceRow deviceRows[];
extern const int deviceRowCount;

} // namespace DEV
