// SPDX-License-Identifier: MIT
#include "pllrange.h"

namespace IPCore {

PLLRange getPLLRange(DEV::DeviceArg device)
{
    const DEV::DeviceInfo *info = DEV::DeviceTable::find(device.id());
    if (!info)
        info = DEV::DeviceTable::find(device.device());
    return info ? info->pll : DEV::DeviceTable::defaultDevice().pll;
}

} // namespace IPCore
