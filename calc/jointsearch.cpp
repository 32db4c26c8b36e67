// SPDX-License-Identifier: MIT
#include "jointsearch.h"

#include <algorithm>
#include <vector>

namespace ModMirel::Calc {

namespace {

bool d3Fits(double clkout, const std::optional<Want> &want)
{
    return !want || withinTolerance(relativeError(clkout / 3.0, want->mhz), want->tolerancePercent / 100.0);
}

ClkoutdResult sdivFor(double clkout, const Want &want)
{
    ClkoutdInput in;
    in.clkoutFrequency = clkout;
    in.expected = want.mhz;
    in.tolerancePercent = want.tolerancePercent;
    return searchClkoutd(in);
}

// Takes a CLKOUT and what the divided outputs get from it; false when one misses its tolerance.
bool settleOutputs(JointResult &r, const JointInput &in, double clkout)
{
    r.clkout = clkout;
    r.clkoutd3.reset();
    r.clkoutd.reset();
    if (in.clkoutd3)
        r.clkoutd3 = clkout / 3.0;
    if (!in.clkoutd)
        return d3Fits(clkout, in.clkoutd3);
    const ClkoutdResult d = sdivFor(clkout, *in.clkoutd);
    if (!d.ok || !d3Fits(clkout, in.clkoutd3))
        return false;
    r.sdiv = d.sdiv;
    r.clkoutd = d.frequency;
    return true;
}

struct Pair
{
    double error;
    double f;
    int fbdiv, idiv, odiv;
};

} // namespace

JointResult searchJoint(const JointInput &in)
{
    JointResult r;
    r.plain = searchClkout(in.clkout);
    if (!r.plain.ok)
        return r;
    if (in.clkoutd)
        r.plainClkoutd = sdivFor(r.plain.frequency, *in.clkoutd);
    r.plainOk = settleOutputs(r, in, r.plain.frequency);
    r.idiv = r.plain.idiv, r.fbdiv = r.plain.fbdiv, r.odiv = r.plain.odiv;
    if (r.plainOk) {
        r.ok = true;
        return r;
    }

    // Every admissible pair within the CLKOUT tolerance, nearest first; the stable sort keeps
    // the search's visiting order (FBDIV, then IDIV, ascending) among equal errors.
    const ClkoutInput &c = in.clkout;
    const double tolerance = c.tolerancePercent / 100.0;
    std::vector<Pair> pairs;
    for (int fbdiv = kDividerMin; fbdiv <= kDividerMax; ++fbdiv) {
        for (int idiv = kDividerMin; idiv <= kDividerMax; ++idiv) {
            const double f = (double(fbdiv) / idiv) * c.clkin;
            const double error = relativeError(f, c.expected);
            if (!withinTolerance(error, tolerance) || !pfdInWindow(c.clkin, idiv, c.limits))
                continue;
            if (const int odiv = admissibleOdiv(f, c.limits))
                pairs.push_back(Pair{error, f, fbdiv, idiv, odiv});
        }
    }
    std::stable_sort(pairs.begin(), pairs.end(), [](const Pair &a, const Pair &b) { return a.error < b.error; });
    for (const Pair &p : pairs) {
        if (settleOutputs(r, in, p.f)) {
            r.ok = r.changed = true;
            r.idiv = p.idiv, r.fbdiv = p.fbdiv, r.odiv = p.odiv;
            return r;
        }
    }
    settleOutputs(r, in, r.plain.frequency);
    r.sdiv = r.plainClkoutd.ok ? r.plainClkoutd.sdiv : 0;
    return r;
}

} // namespace ModMirel::Calc
