// SPDX-License-Identifier: MIT
#pragma once

#include "plllimits.h"

#include <string>

namespace ModMirel::Calc {

// The bounds of the three frequency inputs for one device: what the labels print
// (the device's real range) and what the spin boxes accept.
struct RangeLabels
{
    int clkinMin = 0;
    int clkinMax = 0;
    double clkoutLow = 0.0; // the CLKOUT label's bounds
    double clkoutHigh = 0.0;
    double clkoutMin = 0.0; // the CLKOUT spin box's range
    double clkoutMax = 0.0;
    double clkoutdLow = 0.0; // the CLKOUTD label's bounds
    double clkoutdHigh = 0.0;
    double clkoutdMin = 0.0; // the CLKOUTD spin box's range
    double clkoutdMax = 0.0;

    // The labels' texts ("Clock Frequency (3~450):", "Expected Frequency (3.125~450):",
    // "Expected Frequency (0.024~225.000):") and their bound texts.
    std::string clkinLowText() const;
    std::string clkinHighText() const;
    std::string clkoutLowText() const;
    std::string clkoutHighText() const;
    std::string clkoutdLowText() const;
    std::string clkoutdHighText() const;
    std::string clkinLabel() const;
    std::string clkoutLabel() const;
    std::string clkoutdLabel() const;
};

RangeLabels rangeLabels(const PllLimits &limits);

} // namespace ModMirel::Calc
