// SPDX-License-Identifier: MIT
#pragma once

#include "messages.h"
#include "plllimits.h"
#include "pllmodel.h"

namespace ModMirel::Calc {

enum class ClkoutCase {
    Bypassed, // General Mode, CLKOUT bypassed: CLKOUT is CLKIN
    General,  // General Mode: search IDIV, FBDIV and ODIV
    Advanced, // Advanced Mode: check the user's dividers
};

// Everything the CLKOUT search reads, as the dialog holds it.
struct ClkoutInput
{
    PllLimits limits;
    bool generalMode = true;
    bool clkoutNoBypass = true; // only consulted in General Mode
    double clkin = 0.0;
    double expected = 0.0;         // General Mode, not bypassed
    double tolerancePercent = 0.0; // the tolerance text as a number: 0.5 for "0.5"
    // Advanced Mode: the user's dividers, from the control its radio button selects.
    int idiv = 1;
    int fbdiv = 1;
    int odiv = 2;

    ClkoutCase searchCase() const;
};

struct ClkoutResult : SearchMessage
{
    ClkoutCase searchCase = ClkoutCase::General;
    bool ok = false;
    double frequency = -1.0; // the value the search returns: CLKOUT, or exactly -1.0

    // The actual-frequency field. When showsFrequency is false it keeps its text and colour.
    bool showsFrequency = false;
    double shownFrequency = 0.0;
    bool accepted = false; // gray when accepted, red when rejected

    // When setsDividers: the static IDIV and FBDIV spin boxes take idiv and fbdiv, the
    // static ODIV combo takes the item whose text is odiv, and odivSel becomes odiv.
    // idivSel and fbdivSel change only when setsIdivFbdivSel (the bypassed case
    // leaves them alone). Advanced Mode sets nothing.
    bool setsDividers = false;
    bool setsIdivFbdivSel = false;
    int idiv = 0;
    int fbdiv = 0;
    int odiv = 0;

    // Bypassed case without a legal ODIV: odiv is the fallback 2 and
    // vcoDiagnosticText() goes to the debug output.
    bool vcoDiagnostic = false;
};

ClkoutResult searchClkout(const ClkoutInput &input);

} // namespace ModMirel::Calc
