// SPDX-License-Identifier: MIT
#include "pllrange.h"

#include <devicetable.h>

namespace IPCore {

PLLRange getPLLRange(DEV::DeviceArg device)
{
    const DEV::DeviceInfo *info = DEV::DeviceTable::find(device.id());
    if (!info)
        info = DEV::DeviceTable::find(device.device());
    const DEV::PllLimits limits = info ? info->pll : DEV::DeviceTable::defaultDevice().pll;

    PLLRange range;
    range.clkinMin = limits.clkinMin;
    range.clkinMax = limits.clkinMax;
    range.vcoMin = limits.vcoMin;
    range.vcoMax = limits.vcoMax;
    range.clkoutMinAlt = limits.clkoutMinAlt;
    range.clkoutMin = limits.clkoutMin;
    range.clkoutMax = limits.clkoutMax;
    return range;
}

} // namespace IPCore
