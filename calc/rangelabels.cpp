// SPDX-License-Identifier: MIT
#include "rangelabels.h"

#include "pllmodel.h"

namespace ModMirel::Calc {

namespace {

std::string label(const char *head, const std::string &low, const std::string &high)
{
    return head + (" (" + low + "~" + high + "):");
}

} // namespace

// Seven significant digits show a rounded bound such as 3.001 without its
// single-precision remainder; the maximum takes the usual six.
std::string RangeLabels::clkinLowText() const
{
    return std::to_string(clkinMin);
}
std::string RangeLabels::clkinHighText() const
{
    return std::to_string(clkinMax);
}
std::string RangeLabels::clkoutLowText() const
{
    return formatNumber(clkoutLow, 'g', 7);
}
std::string RangeLabels::clkoutHighText() const
{
    return formatNumber(clkoutHigh, 'g', 6);
}
std::string RangeLabels::clkoutdLowText() const
{
    return formatNumber(clkoutdLow, 'f', 3);
}
std::string RangeLabels::clkoutdHighText() const
{
    return formatNumber(clkoutdHigh, 'f', 3);
}
std::string RangeLabels::clkinLabel() const
{
    return label("Clock Frequency", clkinLowText(), clkinHighText());
}
std::string RangeLabels::clkoutLabel() const
{
    return label("Expected Frequency", clkoutLowText(), clkoutHighText());
}
std::string RangeLabels::clkoutdLabel() const
{
    return label("Expected Frequency", clkoutdLowText(), clkoutdHighText());
}

RangeLabels rangeLabels(const PllLimits &limits)
{
    double lo = ceil3(limits.clkoutMin);
    if (double(limits.clkoutMinAlt) > lo)
        lo = ceil3(limits.clkoutMinAlt);
    const double hi = double(limits.clkoutMax);

    RangeLabels r;
    r.clkinMin = limits.clkinMin;
    r.clkinMax = limits.clkinMax;
    r.clkoutLow = lo;
    r.clkoutHigh = hi;
    // The spin boxes accept twice the labelled maximum; the search refuses what the
    // device cannot make.
    r.clkoutMin = lo;
    r.clkoutMax = 2.0 * hi;
    // CLKOUTD divides CLKOUT by 2 to 128.
    r.clkoutdLow = lo * 0.0078125;
    r.clkoutdHigh = hi * 0.5;
    r.clkoutdMin = lo / 128.0;
    r.clkoutdMax = hi;
    return r;
}

} // namespace ModMirel::Calc
