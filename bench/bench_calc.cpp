// SPDX-License-Identifier: MIT
#include <clkoutdsearch.h>
#include <clkoutsearch.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

using namespace ModMirel::Calc;

namespace {

// The default device.
const PllLimits kLimits{3, 450, 400, 1200, 3.125f, 3.125f, 450.0f};

struct Case
{
    double clkin;
    double expected;
    double tolerancePercent;
};

// 27 MHz admits IDIV 1..9 only; 192 MHz admits all 64 IDIVs, the search's worst case.
const Case kCases[] = {{27.0, 100.0, 0.5}, {192.0, 100.0, 0.0}};

void clkoutSearch(benchmark::State &state)
{
    const Case &c = kCases[state.range(0)];
    ClkoutInput in;
    in.limits = kLimits;
    in.clkin = c.clkin;
    in.expected = c.expected;
    in.tolerancePercent = c.tolerancePercent;
    for (auto _ : state) {
        benchmark::DoNotOptimize(in);
        ClkoutResult r = searchClkout(in);
        benchmark::DoNotOptimize(r);
    }
}

// The least a General Mode search can do for the same answer on these inputs: per
// IDIV row in the phase-detector window, the runnable FBDIVs next to the target,
// written plainly with the limits as constants.
void floorLoop(benchmark::State &state)
{
    const Case &c = kCases[state.range(0)];
    double clkin = c.clkin;
    double expected = c.expected;
    const auto odivFor = [](double f) {
        for (int odiv : {2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128})
            if (f <= 450.0 && 400.0 <= odiv * f && odiv * f <= 1200.0)
                return odiv;
        return 0;
    };
    for (auto _ : state) {
        benchmark::DoNotOptimize(clkin);
        benchmark::DoNotOptimize(expected);
        double best = -1.0;
        int bestIdiv = 0, bestFbdiv = 0;
        for (int idiv = 1; idiv <= 64; ++idiv) {
            const double pfd = clkin / idiv;
            if (pfd < 3.0 || pfd > 450.0)
                continue;
            int above = std::clamp(int(std::ceil(expected / pfd)), 1, 65);
            while (above > 1 && double(above - 1) / idiv * clkin >= expected)
                --above;
            while (above <= 64 && double(above) / idiv * clkin < expected)
                ++above;
            for (int step : {1, -1})
                for (int fbdiv = step > 0 ? above : above - 1; fbdiv >= 1 && fbdiv <= 64; fbdiv += step) {
                    const double f = double(fbdiv) / idiv * clkin, error = std::fabs(f - expected) / expected;
                    if (odivFor(f) == 0)
                        continue;
                    if (best < 0.0 || error < best || (error == best && fbdiv < bestFbdiv))
                        best = error, bestIdiv = idiv, bestFbdiv = fbdiv;
                    break;
                }
        }
        benchmark::DoNotOptimize(bestIdiv);
        benchmark::DoNotOptimize(bestFbdiv);
    }
}

void clkoutdSearch(benchmark::State &state)
{
    ClkoutdInput in{true, 100.0, 37.5, 2.0, 2};
    for (auto _ : state) {
        benchmark::DoNotOptimize(in);
        ClkoutdResult r = searchClkoutd(in);
        benchmark::DoNotOptimize(r);
    }
}

} // namespace

// Argument: index into kCases.
BENCHMARK(floorLoop)->Arg(0)->Arg(1);
BENCHMARK(clkoutSearch)->Arg(0)->Arg(1);
BENCHMARK(clkoutdSearch);

BENCHMARK_MAIN();
