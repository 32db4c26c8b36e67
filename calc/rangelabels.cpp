// SPDX-License-Identifier: MIT
#include "rangelabels.h"

#include "pllmodel.h"

namespace ModMirel::Calc {

RangeLabels rangeLabels(const PllLimits &limits)
{
    double lo = ceil3(limits.clkoutMin);
    if (double(limits.clkoutMinAlt) > lo)
        lo = ceil3(limits.clkoutMinAlt);
    const double hi = double(limits.clkoutMax);

    RangeLabels r;
    r.clkinLabel = QStringLiteral("Clock Frequency (%1~%2):").arg(limits.clkinMin).arg(limits.clkinMax);
    r.clkinMin = limits.clkinMin;
    r.clkinMax = limits.clkinMax;

    // Seven significant digits show a rounded bound such as 3.001 without its
    // single-precision remainder.
    r.clkoutLow = QString::number(lo, 'g', 7);
    r.clkoutHigh = QString::number(hi, 'g', 6);
    r.clkoutLabel = QStringLiteral("Expected Frequency (%1~%2):").arg(r.clkoutLow, r.clkoutHigh);
    // The spin boxes accept twice the labelled maximum.
    r.clkoutMin = lo;
    r.clkoutMax = 2.0 * hi;

    // CLKOUTD divides CLKOUT by 2 to 128.
    r.clkoutdLow = QString::number(lo * 0.0078125, 'f', 3);
    r.clkoutdHigh = QString::number(hi * 0.5, 'f', 3);
    r.clkoutdLabel = QStringLiteral("Expected Frequency (%1~%2):").arg(r.clkoutdLow, r.clkoutdHigh);
    r.clkoutdMin = lo / 128.0;
    r.clkoutdMax = hi;
    return r;
}

} // namespace ModMirel::Calc
