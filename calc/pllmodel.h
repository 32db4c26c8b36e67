// SPDX-License-Identifier: MIT
#pragma once

#include "messages.h"
#include "plllimits.h"

#include <array>
#include <cmath>
#include <string>

namespace ModMirel::Calc {

// Divider ranges of the MIREL primitive.
constexpr int kDividerMin = 1; // IDIV and FBDIV
constexpr int kDividerMax = 64;
constexpr int kSdivMin = 2; // SDIV: even values only
constexpr int kSdivMax = 128;

// The VCO divider values the primitive supports, in the order they are tried:
// the smallest legal one wins, so the VCO runs as slow as the window allows.
constexpr std::array<int, 11> kOdivCandidates = {2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128};
// Used wherever no candidate is legal.
constexpr int kOdivFallback = 2;

// The tolerances, in percent, that the form's lists offer for CLKOUT and CLKOUTD.
constexpr std::array<double, 4> kTolerancePercents = {0.0, 0.2, 0.5, 2.0};

// Added to every tolerance so that "0.0" still accepts the rounding noise of an
// exact ratio.
constexpr double kToleranceSlack = 1e-7;

// Rounds a single-precision bound up to whole kHz. The steps stay in single
// precision on purpose: 3.0001 becomes 3.001f, whose double value is 3.00099992...
inline double ceil3(float x)
{
    const float scaled = x * 1000.0f;
    const float up = std::ceil(scaled);
    const float back = up / 1000.0f;
    return double(back);
}

inline double relativeError(double f, double expected)
{
    return std::fabs(f - expected) / expected;
}

// tolerance is a fraction (percent / 100); an error equal to the limit is inside.
inline bool withinTolerance(double error, double tolerance)
{
    return error <= tolerance + kToleranceSlack;
}

// Both ends of the phase-detector window are legal.
inline bool pfdInWindow(double clkin, int idiv, const PllLimits &limits)
{
    const double pfd = clkin / idiv;
    return !(pfd < double(limits.clkinMin) || pfd > double(limits.clkinMax));
}

inline bool vcoInWindow(int odiv, double f, const PllLimits &limits)
{
    const double vco = odiv * f;
    return double(limits.vcoMin) <= vco && vco <= double(limits.vcoMax);
}

// The smallest ODIV that puts ODIV x f inside the VCO window, or 0 when none does.
inline int smallestLegalOdiv(double f, const PllLimits &limits)
{
    for (int odiv : kOdivCandidates) {
        if (vcoInWindow(odiv, f, limits))
            return odiv;
    }
    return 0;
}

// The smallest legal ODIV for a CLKOUT the device can make, or 0 when f is above
// the device's output maximum (inclusive) or no ODIV is legal.
inline int admissibleOdiv(double f, const PllLimits &limits)
{
    return f > double(limits.clkoutMax) ? 0 : smallestLegalOdiv(f, limits);
}

// One of the two records a search keeps while visiting its candidates: the best
// within tolerance, or the closest outside it. Only a strictly smaller error
// replaces a record, so among equal errors the first candidate visited stays.
struct Record
{
    double error = -1.0;    // -1.0 while empty
    double frequency = 0.0; // stays 0 (shown as 0.000) when nothing was admissible
    int fbdiv = 0;
    int idiv = 0;
    int odiv = 0;
    int sdiv = 0;

    bool isEmpty() const { return error < 0.0; }
    bool improvedBy(double candidateError) const { return isEmpty() || candidateError < error; }
};

// Ends a search on its two records: the best within the tolerance is the result, shown accepted;
// without one, the closest frequency is shown refused with the failure message. Returns whether
// there was a best record, whose dividers the caller then reports.
template<typename Result>
bool settle(Result &r, const Record &best, const Record &closest, MessageKind failure)
{
    if (best.isEmpty()) {
        r.shownFrequency = closest.frequency;
        r.accepted = false;
        r.messageKind = failure;
        return false;
    }
    r.ok = r.accepted = true;
    r.frequency = r.shownFrequency = best.frequency;
    return true;
}

// A number as the dialog's toolkit writes it: style 'f' (fixed, precision
// decimals) or 'g' (general, precision significant digits).
std::string formatNumber(double value, char style, int precision);

// Frequencies as the user sees them: fixed notation, three decimals.
std::string formatMHz(double mhz);

} // namespace ModMirel::Calc
