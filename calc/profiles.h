// SPDX-License-Identifier: MIT
#pragma once

#include "alternatives.h"
#include "clkoutdsearch.h"
#include "clkoutsearch.h"

#include <optional>
#include <string>
#include <vector>

namespace ModMirel::Calc {

// The codes the primitive's dynamic selects decode: IDIV = 64 - idsel,
// FBDIV = 64 - fbdsel, ODIV = 2 x (64 - odsel).
inline int idselCode(int idiv)
{
    return 64 - idiv;
}
inline int fbdselCode(int fbdiv)
{
    return 64 - fbdiv;
}
inline int odselCode(int odiv)
{
    return 64 - odiv / 2;
}

// A switching block walks a table of this many profiles at most.
constexpr int kMaxProfiles = 64;

// One operating point of a PLL whose IDIV, FBDIV and ODIV change at run time.
struct ProfileWant
{
    ProfileWant(double clkout = 0.0, double tolerancePercent = 0.0, std::optional<double> clkoutd = std::nullopt,
                double clkoutdTolerancePercent = 0.0)
        : clkout(clkout)
        , tolerancePercent(tolerancePercent)
        , clkoutd(clkoutd)
        , clkoutdTolerancePercent(clkoutdTolerancePercent)
    {}

    double clkout = 0.0;
    double tolerancePercent = 0.0;
    std::optional<double> clkoutd; // SDIV is static: every profile's CLKOUTD comes from one SDIV
    double clkoutdTolerancePercent = 0.0;
};

struct ProfileSetInput
{
    PllLimits limits;
    double clkin = 0.0;
    std::vector<ProfileWant> profiles;
    int closest = 5; // how many closest CLKOUTs a profile that cannot be made lists
};

struct Profile
{
    ClkoutResult clkout;              // the plain General Mode search of this profile alone
    std::vector<Alternative> closest; // when it found nothing within tolerance
    ClkoutdResult ownClkoutd;         // the plain SDIV search of this profile alone, when it wants a CLKOUTD
    std::optional<double> clkoutd;    // CLKOUTD with the shared SDIV
};

struct ProfileSet
{
    bool ok = false;
    std::vector<Profile> profiles;
    int sdiv = 0;                      // shared by all profiles; 0 when none wants a CLKOUTD or no SDIV serves all
    std::vector<std::string> messages; // "WARNING: " lines, each naming the profile it is about
};

// Each profile is the plain search's answer for it; the SDIV is the one within every
// profile's CLKOUTD tolerance whose worst error is least (the smallest on equal errors),
// which is each profile's own choice whenever those agree.
ProfileSet searchProfiles(const ProfileSetInput &input);

// The shared SDIV for CLKOUT frequencies f[i] with wanted CLKOUTD frequencies w[i] (0: none
// wanted) and tolerances in percent; 0 when no even SDIV serves them all.
int sharedSdiv(const std::vector<double> &f, const std::vector<double> &w, const std::vector<double> &tolerancePercent);

} // namespace ModMirel::Calc
