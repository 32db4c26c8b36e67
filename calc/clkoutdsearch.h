// SPDX-License-Identifier: MIT
#pragma once

#include "messages.h"
#include "pllmodel.h"

namespace ModMirel::Calc {

// Everything the CLKOUTD search reads. No device limit bounds CLKOUTD.
struct ClkoutdInput
{
    bool generalMode = true;
    double clkoutFrequency = 0.0;  // what the CLKOUT search returned (never -1.0)
    double expected = 0.0;         // General Mode
    double tolerancePercent = 0.0; // General Mode, the tolerance text as a number
    int sdiv = 2;                  // Advanced Mode: the user's divider, used as it is
};

struct ClkoutdResult : SearchMessage
{
    bool ok = false;
    double frequency = -1.0; // CLKOUTD on success, -1.0 on failure

    // The actual-frequency field; the CLKOUTD search always writes it.
    double shownFrequency = 0.0;
    bool accepted = false;

    // General Mode success: sdivSel and the divider spin box take sdiv.
    bool setsSdiv = false;
    int sdiv = 0;
};

ClkoutdResult searchClkoutd(const ClkoutdInput &input);

} // namespace ModMirel::Calc
