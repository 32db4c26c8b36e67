// SPDX-License-Identifier: MIT
// CPU time of the profile, joint and best-input-clock searches beside the plain CLKOUT
// search, measured interleaved: each round times every case once, so that a busy moment
// of the machine weighs on all of them alike, and each case's ratio to the plain search
// is taken within its round.
#include <clkoutsearch.h>
#include <crystals.h>
#include <jointsearch.h>
#include <profiles.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

using namespace ModMirel::Calc;

namespace {

// The default device.
const PllLimits kLimits{3, 450, 400, 1200, 3.125f, 3.125f, 450.0f};

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Calls per timing: enough that one timing lasts about a millisecond of the plain search.
double perCall(const std::function<void()> &work, int calls)
{
    const double start = cpuSeconds();
    for (int i = 0; i < calls; ++i)
        work();
    return (cpuSeconds() - start) / calls;
}

struct Stats
{
    double min, median, max;
};

Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

volatile double sink; // keeps the results alive

} // namespace

int main(int argc, char *argv[])
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 51;

    ClkoutInput plain;
    plain.limits = kLimits;
    plain.clkin = 27.0;
    plain.expected = 100.0;
    plain.tolerancePercent = 0.5;

    // Eight video and bus clocks from a 27 MHz crystal.
    ProfileSetInput eight;
    eight.limits = kLimits;
    eight.clkin = 27.0;
    for (double f : {74.25, 148.5, 108.0, 54.0, 100.0, 125.0, 40.5, 81.0})
        eight.profiles.push_back(ProfileWant{f, 0.5, std::nullopt, 0.0});
    ProfileSetInput four = eight;
    four.profiles.resize(4);

    // The plug-in's order refuses (CLKOUT 100.286 gives CLKOUTD 50.143, 0.7 % off); 101.25 serves both.
    JointInput joint;
    joint.clkout = plain;
    joint.clkout.tolerancePercent = 2.0;
    joint.clkoutd = Want{50.5, 0.5};

    ProfileSetInput vga;
    vga.limits = kLimits;
    vga.profiles.push_back(ProfileWant{25.175, 0.0, std::nullopt, 0.0});

    struct Case
    {
        const char *name;
        std::function<void()> work;
        int calls;
    };
    const std::vector<Case> cases = {
            {"plain CLKOUT search, 27 -> 100 MHz at 0.5 %", [&] { sink = searchClkout(plain).frequency; }, 2000},
            {"profile set of 4 from 27 MHz", [&] { sink = double(searchProfiles(four).ok); }, 500},
            {"profile set of 8 from 27 MHz", [&] { sink = double(searchProfiles(eight).ok); }, 250},
            {"joint search, plug-in order refuses", [&] { sink = searchJoint(joint).clkout; }, 500},
            {"best input clock for 25.175 MHz, 67 crystals",
             [&] { sink = rankClkins(vga, commonCrystals(), 10).front().clkin; }, 20},
    };

    std::vector<std::vector<double>> seconds(cases.size()), ratios(cases.size());
    for (int r = 0; r < rounds; ++r) {
        std::vector<double> t;
        for (const Case &c : cases)
            t.push_back(perCall(c.work, c.calls));
        for (std::size_t i = 0; i < cases.size(); ++i) {
            seconds[i].push_back(t[i]);
            ratios[i].push_back(t[i] / t[0]);
        }
    }

    std::printf("%d interleaved rounds, CPU time per call\n\n", rounds);
    std::printf("| case | µs min / median / max | ratio to the plain search min / median / max |\n|---|---|---|\n");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Stats s = stats(seconds[i]), q = stats(ratios[i]);
        std::printf("| %s | %.2f / %.2f / %.2f | %.2f / %.2f / %.2f |\n", cases[i].name, s.min * 1e6, s.median * 1e6,
                    s.max * 1e6, q.min, q.median, q.max);
    }
    return 0;
}
