// SPDX-License-Identifier: MIT
#pragma once

#include "profiles.h"

#include <vector>

namespace ModMirel::Calc {

// Input clocks a board designer can buy off the shelf: common crystal and oscillator
// frequencies in MHz, ascending.
const std::vector<double> &commonCrystals();

// One input clock judged by what a profile set (one wanted output is a set of one) gets from it.
struct ClkinCandidate
{
    double clkin = 0.0;
    bool ok = false;    // every profile within its tolerances
    double error = 0.0; // the worst relative error of any wanted output, achieved or closest
    ProfileSet set;
};

// The clocks of `clkins` that the device takes, best first: those giving every profile its
// tolerances, then by worst error; equal errors keep the rounder clock first (fewer decimals),
// then the lower. At most `count`.
std::vector<ClkinCandidate> rankClkins(const ProfileSetInput &wanted, const std::vector<double> &clkins, int count);

// The input clocks from low to high (MHz, both included) that make some profile's CLKOUT
// exactly with an admissible pair: CLKOUT x IDIV / FBDIV. Ascending, each once.
std::vector<double> exactClkins(const ProfileSetInput &wanted, double low, double high);

} // namespace ModMirel::Calc
