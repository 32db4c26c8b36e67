// SPDX-License-Identifier: MIT
#include "clkoutsearch.h"

#include <cmath>

namespace ModMirel::Calc {

namespace {

// The record of the General Mode search: the runnable pair with the smallest error;
// among equal errors the smallest FBDIV, then the smallest IDIV, which is the first
// pair a walk over FBDIV, then IDIV, both ascending, would meet.
struct Nearest : Record
{
    void offer(double f, double candidateError, int fbdivOffered, int idivOffered, int odivOffered)
    {
        if (isEmpty() || candidateError < error || (candidateError == error && fbdivOffered < fbdiv))
            static_cast<Record &>(*this) = Record{candidateError, f, fbdivOffered, idivOffered, odivOffered, 0};
    }
};

// Offers the pairs of one IDIV row nearest to the expected frequency among those the
// device can run (CLKOUT at most its maximum, an ODIV that brings it into the VCO
// window). Rows are offered by ascending IDIV.
//
// CLKOUT = (FBDIV / IDIV) x CLKIN, as the frequency model computes it, rises with
// FBDIV (rounding keeps the order), so the error falls while CLKOUT is below the
// expected frequency and rises from there on: the candidates are the first runnable
// FBDIV at or above it and the last runnable one below it.
void offerRow(const ClkoutInput &in, int idiv, Nearest &nearest)
{
    const double clkin = in.clkin, expected = in.expected;
    const auto frequency = [&](int fbdiv) {
        return (double(fbdiv) / idiv) * clkin;
    };
    // The first FBDIV whose CLKOUT reaches the expected frequency (kDividerMax + 1 when
    // none does): estimated, then settled on the computed frequencies.
    const double estimate = std::ceil(expected / clkin * idiv);
    int above = estimate > kDividerMax ? kDividerMax + 1 : estimate > kDividerMin ? int(estimate) : kDividerMin;
    while (above > kDividerMin && frequency(above - 1) >= expected)
        --above;
    while (above <= kDividerMax && frequency(above) < expected)
        ++above;

    for (int fbdiv = above; fbdiv <= kDividerMax; ++fbdiv) {
        const double f = frequency(fbdiv);
        if (f > double(in.limits.clkoutMax)) // and so is every higher FBDIV
            break;
        if (const int odiv = smallestLegalOdiv(f, in.limits)) {
            nearest.offer(f, relativeError(f, expected), fbdiv, idiv, odiv);
            break;
        }
    }
    // Below, the error only grows as FBDIV falls: after the first runnable FBDIV only
    // a lower one with an equal error can take its place.
    double found = -1.0;
    for (int fbdiv = above - 1; fbdiv >= kDividerMin; --fbdiv) {
        const double f = frequency(fbdiv);
        const double error = relativeError(f, expected);
        if (found >= 0.0 && error != found)
            break;
        if (const int odiv = admissibleOdiv(f, in.limits)) {
            nearest.offer(f, error, fbdiv, idiv, odiv);
            found = error;
        }
    }
}

ClkoutResult searchBypassed(const ClkoutInput &in)
{
    ClkoutResult r;
    r.searchCase = ClkoutCase::Bypassed;
    r.ok = true;
    r.frequency = in.clkin;
    r.showsFrequency = true;
    r.shownFrequency = in.clkin;
    r.accepted = true;
    r.setsDividers = true;
    r.idiv = 1;
    r.fbdiv = 1;
    const int odiv = smallestLegalOdiv(in.clkin, in.limits);
    // A bypassed CLKOUT never fails: without a legal ODIV the fallback is only logged.
    r.odiv = odiv != 0 ? odiv : kOdivFallback;
    r.vcoDiagnostic = odiv == 0;
    return r;
}

ClkoutResult searchGeneral(const ClkoutInput &in)
{
    const PllLimits &limits = in.limits;
    const double clkin = in.clkin;
    const double expected = in.expected;
    const double tolerance = in.tolerancePercent / 100.0;

    // The nearest pair is the best when within the tolerance, otherwise the closest.
    Nearest nearest;
    for (int idiv = kDividerMin; idiv <= kDividerMax; ++idiv) {
        if (pfdInWindow(clkin, idiv, limits))
            offerRow(in, idiv, nearest);
    }
    Record best, closest;
    if (!nearest.isEmpty())
        (withinTolerance(nearest.error, tolerance) ? best : closest) = nearest;

    ClkoutResult r;
    r.searchCase = ClkoutCase::General;
    r.showsFrequency = true;
    if (!settle(r, best, closest, MessageKind::ClkoutNotGenerated)) {
        // No tolerance reaches past the device's maximum: that is the limit to name.
        if (expected > double(limits.clkoutMax))
            r.hints.push_back(clkoutMaximumHint(limits.clkoutMax));
        return r;
    }
    r.setsDividers = true;
    r.setsIdivFbdivSel = true;
    r.idiv = best.idiv;
    r.fbdiv = best.fbdiv;
    r.odiv = best.odiv;
    return r;
}

ClkoutResult searchAdvanced(const ClkoutInput &in)
{
    const PllLimits &limits = in.limits;
    ClkoutResult r;
    r.searchCase = ClkoutCase::Advanced;

    if (!pfdInWindow(in.clkin, in.idiv, limits)) {
        r.messageKind = MessageKind::PfdOutOfRange;
        r.messageArg1 = limits.clkinMin;
        r.messageArg2 = limits.clkinMax;
        return r;
    }

    const double f = (double(in.fbdiv) / in.idiv) * in.clkin;
    r.showsFrequency = true;
    r.shownFrequency = f;

    // Both output bounds are legal; a CLKOUT no ODIV can serve is refused like one
    // outside them, since no advice about ODIV could make it run.
    const int legal = admissibleOdiv(f, limits);
    if (ceil3(limits.clkoutMin) > f || legal == 0) {
        r.accepted = false;
        r.messageKind = MessageKind::DividersIllegal;
        return r;
    }

    // From here on the frequency itself is fine; only the user's ODIV may be wrong.
    r.accepted = true;
    if (vcoInWindow(in.odiv, f, limits)) {
        r.ok = true;
        r.frequency = f;
        return r;
    }
    r.messageKind = MessageKind::OdivIllegal;
    r.messageArg1 = legal;
    return r;
}

} // namespace

ClkoutCase ClkoutInput::searchCase() const
{
    if (!generalMode)
        return ClkoutCase::Advanced;
    return clkoutNoBypass ? ClkoutCase::General : ClkoutCase::Bypassed;
}

ClkoutResult searchClkout(const ClkoutInput &input)
{
    switch (input.searchCase()) {
    case ClkoutCase::Bypassed:
        return searchBypassed(input);
    case ClkoutCase::General:
        return searchGeneral(input);
    case ClkoutCase::Advanced:
        break;
    }
    return searchAdvanced(input);
}

} // namespace ModMirel::Calc
