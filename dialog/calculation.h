// SPDX-License-Identifier: MIT
#pragma once

#include <clkoutdsearch.h>
#include <clkoutsearch.h>

#include <QString>

namespace ModMirel {

class PllForm;
struct PllSettings;

// Calculate's work on the form: build a search's input from the settings value,
// run the pure search, write dividers and result fields back. The caller reports
// the result, by box or by line.
class Calculation
{
public:
    // settled: the dividers the searches settle on, which the generator's list carries.
    Calculation(PllForm &form, PllSettings &settled);

    Calc::ClkoutResult clkout(const PllSettings &now, const Calc::PllLimits &limits);
    // clkoutFreq: what the CLKOUT search produced.
    Calc::ClkoutdResult clkoutd(const PllSettings &now, double clkoutFreq);

    // The even-number rule's message for the divider now entered, with the CLKOUTD
    // values the nearest even dividers would give; no control changes.
    static Calc::SearchMessage oddSdivMessage(const PllSettings &now, const Calc::PllLimits &limits);

    // For a General Mode target no dividers make: the closest value the device can
    // make and up to five others, each with its dividers, as lines for a box; the
    // errors against `asked` where a script asked for more decimals than the form keeps.
    static QString alternatives(const PllSettings &now, const Calc::PllLimits &limits, double asked = 0.0);

    // What the hardware runs with the dividers the generator receives: dividers,
    // PFD and VCO against the device's windows, and each enabled output's frequency
    // with its error where a wanted value exists. Read after successful searches.
    static QString report(const PllSettings &now, const Calc::PllLimits &limits);

private:
    PllForm &form;
    PllSettings &settled;
};

} // namespace ModMirel
