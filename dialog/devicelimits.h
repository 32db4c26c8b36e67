// SPDX-License-Identifier: MIT
#pragma once

#include <devicearg.h>
#include <plllimits.h>
#include <pllrange.h>

namespace ModMirel {

// The device's PLL limits from the host, fetched fresh for every use: the device
// can change between two calls.
inline Calc::PllLimits currentLimits(const DEV::DeviceArg &device)
{
    return Calc::pllLimitsFrom(IPCore::getPLLRange(device));
}

} // namespace ModMirel
