// SPDX-License-Identifier: MIT
#include "crystals.h"

#include <algorithm>
#include <cmath>

namespace ModMirel::Calc {

const std::vector<double> &commonCrystals()
{
    // Microcontroller, UART, audio, video, telecom and network values.
    static const std::vector<double> list = {3.579545, 3.6864, 4.0,    4.096,    4.194304, 4.9152,  5.0,      6.0,
                                             6.144,    7.3728, 8.0,    9.8304,   10.0,     11.0592, 11.2896,  12.0,
                                             12.288,   13.0,   13.5,   14.31818, 14.7456,  16.0,    16.384,   16.9344,
                                             18.0,     18.432, 19.2,   19.44,    19.6608,  20.0,    22.1184,  22.5792,
                                             24.0,     24.576, 25.0,   25.175,   26.0,     27.0,    28.63636, 30.0,
                                             32.0,     33.0,   33.333, 36.0,     38.4,     40.0,    44.1,     48.0,
                                             49.152,   50.0,   54.0,   60.0,     62.5,     64.0,    66.0,     66.666,
                                             74.25,    75.0,   80.0,   100.0,    106.25,   125.0,   148.5,    150.0,
                                             155.52,   156.25, 200.0};
    return list;
}

namespace {

// Fewer decimals first: 25 before 24.576 before 28.63636.
int decimals(double mhz)
{
    double scale = 1.0;
    for (int d = 0; d < 6; ++d, scale *= 10.0) {
        if (std::fabs(mhz * scale - std::round(mhz * scale)) < 1e-6)
            return d;
    }
    return 6;
}

double worstError(const ProfileSetInput &wanted, const ProfileSet &set)
{
    double worst = 0.0;
    for (std::size_t i = 0; i < set.profiles.size(); ++i) {
        const Profile &p = set.profiles[i];
        const ProfileWant &want = wanted.profiles[i];
        const double clkout = p.clkout.ok ? p.clkout.frequency : p.clkout.shownFrequency;
        worst = std::max(worst, clkout > 0.0 ? relativeError(clkout, want.clkout) : 1.0);
        if (want.clkoutd && p.clkout.ok) {
            const double d = p.clkoutd         ? *p.clkoutd
                             : p.ownClkoutd.ok ? p.ownClkoutd.frequency
                                               : p.ownClkoutd.shownFrequency;
            worst = std::max(worst, relativeError(d, *want.clkoutd));
        }
    }
    return worst;
}

} // namespace

std::vector<ClkinCandidate> rankClkins(const ProfileSetInput &wanted, const std::vector<double> &clkins, int count)
{
    std::vector<ClkinCandidate> ranked;
    ProfileSetInput in = wanted;
    in.closest = 0; // the worst error comes from each search's closest record
    for (double clkin : clkins) {
        if (clkin < double(wanted.limits.clkinMin) || clkin > double(wanted.limits.clkinMax))
            continue;
        in.clkin = clkin;
        ClkinCandidate c;
        c.clkin = clkin;
        c.set = searchProfiles(in);
        c.ok = c.set.ok;
        c.error = worstError(wanted, c.set);
        ranked.push_back(std::move(c));
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const ClkinCandidate &a, const ClkinCandidate &b) {
        if (a.ok != b.ok)
            return a.ok;
        if (a.error != b.error)
            return a.error < b.error;
        if (decimals(a.clkin) != decimals(b.clkin))
            return decimals(a.clkin) < decimals(b.clkin);
        return a.clkin < b.clkin;
    });
    if (count >= 0 && ranked.size() > std::size_t(count))
        ranked.resize(std::size_t(count));
    // The dividers of the nearest CLKOUT, for the listed clocks of a profile that misses.
    in.closest = 1;
    for (ClkinCandidate &c : ranked) {
        in.clkin = c.clkin;
        if (!c.ok)
            c.set = searchProfiles(in);
    }
    return ranked;
}

std::vector<double> exactClkins(const ProfileSetInput &wanted, double low, double high)
{
    std::vector<double> found;
    for (const ProfileWant &want : wanted.profiles) {
        for (int fbdiv = kDividerMin; fbdiv <= kDividerMax; ++fbdiv) {
            for (int idiv = kDividerMin; idiv <= kDividerMax; ++idiv) {
                const double clkin = want.clkout * idiv / fbdiv;
                if (clkin >= low && clkin <= high && pfdInWindow(clkin, idiv, wanted.limits)
                    && admissibleOdiv(want.clkout, wanted.limits) != 0)
                    found.push_back(clkin);
            }
        }
    }
    std::sort(found.begin(), found.end());
    // Equal ratios give the same clock, to the last bit or nearly.
    found.erase(std::unique(found.begin(), found.end(),
                            [](double a, double b) { return std::fabs(a - b) <= 1e-12 * std::fabs(b); }),
                found.end());
    return found;
}

} // namespace ModMirel::Calc
