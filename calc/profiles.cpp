// SPDX-License-Identifier: MIT
#include "profiles.h"

#include <cstdio>

namespace ModMirel::Calc {

namespace {

std::string ppmText(double f, double wanted)
{
    char text[48];
    std::snprintf(text, sizeof text, "%+.1f ppm", (f - wanted) / wanted * 1e6);
    return text;
}

std::string wantText(const char *output, double mhz, double tolerancePercent)
{
    return std::string(output) + " " + formatNumber(mhz, 'g', 9) + " MHz within "
           + formatNumber(tolerancePercent, 'g', 6) + " %";
}

std::string profileName(std::size_t index)
{
    return "Profile " + std::to_string(index);
}

} // namespace

int sharedSdiv(const std::vector<double> &f, const std::vector<double> &w, const std::vector<double> &tolerancePercent)
{
    int chosen = 0;
    double least = -1.0;
    for (int sdiv = kSdivMin; sdiv <= kSdivMax; sdiv += 2) {
        double worst = 0.0;
        bool fits = true;
        for (std::size_t i = 0; i < f.size() && fits; ++i) {
            if (w[i] <= 0.0)
                continue;
            const double error = relativeError(f[i] / sdiv, w[i]);
            fits = withinTolerance(error, tolerancePercent[i] / 100.0);
            worst = std::max(worst, error);
        }
        if (fits && (least < 0.0 || worst < least)) {
            least = worst;
            chosen = sdiv;
        }
    }
    return chosen;
}

ProfileSet searchProfiles(const ProfileSetInput &input)
{
    ProfileSet set;
    set.ok = true;
    std::vector<double> f, w, tolerances;
    bool wantsClkoutd = false;
    for (std::size_t i = 0; i < input.profiles.size(); ++i) {
        const ProfileWant &want = input.profiles[i];
        ClkoutInput in;
        in.limits = input.limits;
        in.clkin = input.clkin;
        in.expected = want.clkout;
        in.tolerancePercent = want.tolerancePercent;
        Profile p;
        p.clkout = searchClkout(in);
        if (!p.clkout.ok) {
            set.ok = false;
            p.closest = nearestClkouts(in, input.closest);
            std::string line = "WARNING: " + profileName(i) + " ("
                               + wantText("CLKOUT", want.clkout, want.tolerancePercent) + ") cannot be made from CLKIN "
                               + formatNumber(input.clkin, 'g', 9) + " MHz";
            for (std::size_t k = 0; k < p.closest.size(); ++k) {
                const Alternative &a = p.closest[k];
                line += (k == 0 ? "; the closest are " : ", ") + formatMHz(a.frequency) + " MHz ("
                        + ppmText(a.frequency, want.clkout) + ")";
            }
            set.messages.push_back(line + (p.closest.empty() && input.closest > 0 ? "; no divider pair can run." : "."));
            for (const std::string &hint : p.clkout.hints)
                set.messages.push_back("WARNING: " + profileName(i) + ": " + hint);
        } else if (want.clkoutd) {
            ClkoutdInput d;
            d.clkoutFrequency = p.clkout.frequency;
            d.expected = *want.clkoutd;
            d.tolerancePercent = want.clkoutdTolerancePercent;
            p.ownClkoutd = searchClkoutd(d);
        }
        wantsClkoutd = wantsClkoutd || want.clkoutd;
        f.push_back(p.clkout.ok ? p.clkout.frequency : 0.0);
        w.push_back(p.clkout.ok && want.clkoutd ? *want.clkoutd : 0.0);
        tolerances.push_back(want.clkoutdTolerancePercent);
        set.profiles.push_back(p);
    }
    if (!wantsClkoutd || !set.ok)
        return set;

    set.sdiv = sharedSdiv(f, w, tolerances);
    if (set.sdiv != 0) {
        for (Profile &p : set.profiles)
            p.clkoutd = p.clkout.frequency / set.sdiv;
        return set;
    }
    set.ok = false;
    set.messages.push_back("WARNING: No one CLKOUTD divider SDIV serves every profile; the module has one SDIV for "
                           "all of them.");
    for (std::size_t i = 0; i < set.profiles.size(); ++i) {
        const ProfileWant &want = input.profiles[i];
        const ClkoutdResult &own = set.profiles[i].ownClkoutd;
        if (!want.clkoutd)
            continue;
        const std::string name = "WARNING: " + profileName(i) + " ("
                                 + wantText("CLKOUTD", *want.clkoutd, want.clkoutdTolerancePercent) + ")";
        set.messages.push_back(own.ok ? name + " takes SDIV " + std::to_string(own.sdiv) + " ("
                                                + formatMHz(own.frequency) + " MHz) on its own."
                                      : name + " cannot be made even on its own; the closest is "
                                                + formatMHz(own.shownFrequency) + " MHz.");
    }
    return set;
}

} // namespace ModMirel::Calc
