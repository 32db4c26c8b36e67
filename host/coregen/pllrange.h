// SPDX-License-Identifier: MIT
#pragma once

#include <devicearg.h>

#include <QtGlobal>

namespace IPCore {

// A device's PLL limits in MHz, in the host's field order and types.
struct PLLRange
{
    qint32 clkinMin = 0;
    qint32 clkinMax = 0;
    qint32 vcoMin = 0;
    qint32 vcoMax = 0;
    float clkoutMinAlt = 0.0f;
    float reserved = 0.0f;
    float clkoutMin = 0.0f;
    float clkoutMax = 0.0f;
};

// Limits of the given device; an unknown or unset device gets the default device's.
PLLRange getPLLRange(DEV::DeviceArg device);

} // namespace IPCore
