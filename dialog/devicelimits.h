// SPDX-License-Identifier: MIT
#pragma once

#include <devicearg.h>
#include <plllimits.h>

namespace ModMirel {

// The device's PLL limits from the host, fetched fresh for every use: the device
// can change between two calls. Defined in deviceranges.cpp.
Calc::PllLimits currentLimits(const DEV::DeviceArg &device);

} // namespace ModMirel
