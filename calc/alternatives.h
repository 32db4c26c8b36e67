// SPDX-License-Identifier: MIT
#pragma once

#include "clkoutsearch.h"

#include <vector>

namespace ModMirel::Calc {

// A CLKOUT frequency the device can make, with the first dividers that make it.
struct Alternative
{
    double frequency = 0.0;
    double error = 0.0; // relative to the expected frequency
    int idiv = 0;
    int fbdiv = 0;
    int odiv = 0;
};

// The count CLKOUT frequencies nearest to input.expected among the pairs the General
// Mode search admits (phase detector in its window, CLKOUT within the device's
// maximum, some ODIV legal), nearest first. Pairs making the same frequency appear
// once, with the smallest FBDIV, then IDIV; equal errors keep that visiting order.
// The tolerance is not consulted; input.expected must be positive.
std::vector<Alternative> nearestClkouts(const ClkoutInput &input, int count);

} // namespace ModMirel::Calc
