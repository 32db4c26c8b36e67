// SPDX-License-Identifier: MIT
#pragma once

#include "clkoutdsearch.h"
#include "clkoutsearch.h"

#include <optional>

namespace ModMirel::Calc {

// A wanted frequency with its tolerance in percent.
struct Want
{
    double mhz = 0.0;
    double tolerancePercent = 0.0;
};

// CLKOUT (General Mode, not bypassed) and the divided outputs wanted with it.
struct JointInput
{
    ClkoutInput clkout;
    std::optional<Want> clkoutd;  // CLKOUT / SDIV, SDIV even
    std::optional<Want> clkoutd3; // CLKOUT / 3
};

struct JointResult
{
    bool ok = false;
    // The plug-in's order: the CLKOUT search, then SDIV for what it chose.
    ClkoutResult plain;
    ClkoutdResult plainClkoutd; // when CLKOUTD is wanted and the CLKOUT search succeeded
    bool plainOk = false;
    bool changed = false; // the plug-in's order refused and another CLKOUT within tolerance serves all
    int idiv = 0, fbdiv = 0, odiv = 0, sdiv = 0;
    double clkout = 0.0;
    std::optional<double> clkoutd, clkoutd3;
};

// Where the plug-in's order gives every wanted output its tolerance, that answer. Where it
// refuses only a divided output, the pair whose CLKOUT is nearest its own wanted value (the
// search's visiting order on equal errors) among those within the CLKOUT tolerance for which
// the SDIV search and CLKOUT / 3 also meet theirs.
JointResult searchJoint(const JointInput &input);

} // namespace ModMirel::Calc
