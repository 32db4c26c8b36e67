// SPDX-License-Identifier: MIT
#include <clkoutdsearch.h>
#include <clkoutsearch.h>

#include <benchmark/benchmark.h>

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

// What any General Mode search has to do at least: every (FBDIV, IDIV) frequency
// and its error, nothing kept.
void floorLoop(benchmark::State &state)
{
    const Case &c = kCases[state.range(0)];
    double clkin = c.clkin;
    double expected = c.expected;
    for (auto _ : state) {
        benchmark::DoNotOptimize(clkin);
        benchmark::DoNotOptimize(expected);
        for (int fbdiv = 1; fbdiv <= 64; ++fbdiv) {
            for (int idiv = 1; idiv <= 64; ++idiv) {
                const double f = (double(fbdiv) / idiv) * clkin;
                double error = std::fabs(f - expected) / expected;
                benchmark::DoNotOptimize(error);
            }
        }
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
