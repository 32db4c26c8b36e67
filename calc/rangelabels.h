// SPDX-License-Identifier: MIT
#pragma once

#include "plllimits.h"

#include <QString>

namespace ModMirel::Calc {

// The texts and ranges of the three frequency inputs for one device.
struct RangeLabels
{
    QString clkinLabel;     // "Clock Frequency (3~450):"
    QString clkoutLabel;    // "Expected Frequency (3.125~450):"
    QString clkoutdLabel;   // "Expected Frequency (0.024~225.000):"
    // The bounds as the labels print them: the device's real output range.
    QString clkoutLow, clkoutHigh, clkoutdLow, clkoutdHigh;
    int clkinMin = 0;
    int clkinMax = 0;
    double clkoutMin = 0.0;
    double clkoutMax = 0.0;
    double clkoutdMin = 0.0;
    double clkoutdMax = 0.0;
};

RangeLabels rangeLabels(const PllLimits &limits);

} // namespace ModMirel::Calc
