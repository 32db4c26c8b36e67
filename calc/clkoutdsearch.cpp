// SPDX-License-Identifier: MIT
#include "clkoutdsearch.h"

namespace ModMirel::Calc {

ClkoutdResult searchClkoutd(const ClkoutdInput &input)
{
    ClkoutdResult r;
    if (!input.generalMode) {
        // The even-number rule is the OK and batch flows' business, not this one's.
        r.ok = true;
        r.frequency = input.clkoutFrequency / input.sdiv;
        r.shownFrequency = r.frequency;
        r.accepted = true;
        return r;
    }

    const double tolerance = input.tolerancePercent / 100.0;
    Record best;
    Record closest;
    // Ascending with strict replacement: on equal errors the smallest SDIV stays.
    for (int sdiv = kSdivMin; sdiv <= kSdivMax; sdiv += 2) {
        const double f = input.clkoutFrequency / sdiv;
        const double error = relativeError(f, input.expected);
        Record &record = withinTolerance(error, tolerance) ? best : closest;
        if (!record.improvedBy(error))
            continue;
        record.error = error;
        record.frequency = f;
        record.sdiv = sdiv;
    }

    if (!settle(r, best, closest, MessageKind::ClkoutdNotGenerated)) {
        r.hints.push_back(evenSdivHint(input.clkoutFrequency, input.expected));
        return r;
    }
    r.setsSdiv = true;
    r.sdiv = best.sdiv;
    return r;
}

} // namespace ModMirel::Calc
