// SPDX-License-Identifier: MIT
#pragma once

#include <devicetable.h>

namespace IPCore {

// A device's PLL limits in MHz, in the host's field order and types: the device table's record.
using PLLRange = DEV::PllLimits;

// Limits of the given device; an unknown or unset device gets the default device's.
PLLRange getPLLRange(DEV::DeviceArg device);

} // namespace IPCore
