// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace ModMirel::Calc {

// A device's PLL limits in MHz, with the host's field order and types (the host's
// unread field is left out). The integer fields are widened to double before any
// comparison.
struct PllLimits
{
    std::int32_t clkinMin = 0; // input clock and phase-detector window, both ends legal
    std::int32_t clkinMax = 0;
    std::int32_t vcoMin = 0; // VCO window, both ends legal
    std::int32_t vcoMax = 0;
    float clkoutMinAlt = 0.0f; // second output lower bound, for the range labels only
    float clkoutMin = 0.0f;
    float clkoutMax = 0.0f;
};

// Copies the host's limit record (IPCore::PLLRange, the device table's record), which
// names the same fields with the same types.
template<typename Record>
PllLimits pllLimitsFrom(const Record &record)
{
    PllLimits limits;
    limits.clkinMin = record.clkinMin;
    limits.clkinMax = record.clkinMax;
    limits.vcoMin = record.vcoMin;
    limits.vcoMax = record.vcoMax;
    limits.clkoutMinAlt = record.clkoutMinAlt;
    limits.clkoutMin = record.clkoutMin;
    limits.clkoutMax = record.clkoutMax;
    return limits;
}

} // namespace ModMirel::Calc
