// SPDX-License-Identifier: MIT
#pragma once

namespace ModMirel {

// The state the PLL settings are worked on with: ten flags that mirror check
// states of the form and the dividers the searches settled on. The dialog holds
// one, the argument-list builder takes one.
struct PllSettings
{
    bool generalMode = true;
    bool phaseDutyDynamic = true;
    bool clkinDivideDynamic = true;
    bool clkfbDivideDynamic = true;
    bool clkoutNoBypass = true;
    bool clkoutpEnabled = false;
    bool clkoutpNoBypass = true;
    bool clkoutdEnabled = false;
    bool clkoutdNoBypass = true;
    bool clkoutd3Enabled = false;

    // Defined before any search, so that a list built without one still
    // carries legal numbers.
    int fbdivSel = 1;
    int idivSel = 1;
    int odivSel = 2;
    int sdivSel = 2;

    // CLKOUTD divides, so it has a divider and a source.
    bool clkoutdLive() const { return clkoutdEnabled && clkoutdNoBypass; }
    // CLKOUTP is a real PLL output, so it has a phase and a duty cycle.
    bool clkoutpLive() const { return clkoutpEnabled && clkoutpNoBypass; }
};

} // namespace ModMirel
