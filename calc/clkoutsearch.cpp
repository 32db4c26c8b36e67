// SPDX-License-Identifier: MIT
#include "clkoutsearch.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ModMirel::Calc {

namespace {

constexpr std::size_t kPairs = std::size_t(kDividerMax) * kDividerMax;

// FBDIV / IDIV for every pair, row by FBDIV, computed as the frequency model does,
// so that ratio x CLKIN is bit-identical to (FBDIV / IDIV) x CLKIN.
const std::array<double, kPairs> &ratios()
{
    static const std::array<double, kPairs> table = [] {
        std::array<double, kPairs> t{};
        for (int fbdiv = kDividerMin; fbdiv <= kDividerMax; ++fbdiv)
            for (int idiv = kDividerMin; idiv <= kDividerMax; ++idiv)
                t[std::size_t(fbdiv - kDividerMin) * kDividerMax + std::size_t(idiv - kDividerMin)] = double(fbdiv)
                                                                                                      / idiv;
        return t;
    }();
    return table;
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

    // The phase-detector test depends on IDIV alone, and CLKIN / IDIV falls as IDIV
    // grows: the IDIVs that pass are one run [idivFirst, idivLast].
    int idivFirst = kDividerMax + 1, idivLast = kDividerMin - 1;
    for (int idiv = kDividerMin; idiv <= kDividerMax; ++idiv) {
        if (pfdInWindow(clkin, idiv, limits)) {
            idivFirst = std::min(idivFirst, idiv);
            idivLast = idiv;
        }
    }
    const int first = idivFirst - kDividerMin, last = idivLast - kDividerMin;

    // FBDIV outer, IDIV inner, both ascending, no early exit: with strict
    // replacement, equal errors keep the smallest FBDIV, then the smallest IDIV.
    const std::array<double, kPairs> &ratio = ratios();
    Record best;
    Record closest;
    // |f - expected| of each record, infinite while empty. Division by the expected
    // frequency is monotonic, so a distance not below both cannot give an error
    // below either record's: such a pair is skipped before its error is computed.
    double bestDistance = HUGE_VAL, closestDistance = HUGE_VAL, skipFrom = HUGE_VAL;
    double distances[kDividerMax];
    for (int fbdiv = kDividerMin; fbdiv <= kDividerMax; ++fbdiv) {
        const double *row = &ratio[std::size_t(fbdiv - kDividerMin) * kDividerMax];
        // A row's distances first, in a loop the compiler can vectorise; then the
        // few pairs that may beat a record, in the visiting order.
        for (int i = first; i <= last; ++i)
            distances[i] = std::fabs(row[i] * clkin - expected);
        for (int i = first; i <= last; ++i) {
            const double distance = distances[i];
            if (distance >= skipFrom)
                continue;
            const double f = row[i] * clkin;
            const double error = distance / expected;
            const bool within = withinTolerance(error, tolerance);
            Record &record = within ? best : closest;
            if (!record.improvedBy(error))
                continue;
            // A pair the device cannot run (CLKOUT above its maximum, or no ODIV that
            // brings it into the VCO window) is not admissible, like one outside the
            // phase-detector window. Testing it only for a pair that would replace a
            // record skips nothing else and keeps the loop cheap.
            const int odiv = admissibleOdiv(f, limits);
            if (odiv == 0)
                continue;
            record.error = error;
            record.frequency = f;
            record.fbdiv = fbdiv;
            record.idiv = i + kDividerMin;
            record.odiv = odiv;
            (within ? bestDistance : closestDistance) = distance;
            skipFrom = std::max(bestDistance, closestDistance);
        }
    }

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
