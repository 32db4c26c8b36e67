// SPDX-License-Identifier: MIT
#pragma once

// What mirel-calc is asked, from its options or from one line of a stream, and
// what it answers. No Qt: the program starts as fast as the C tools.
#include <alternatives.h>
#include <clkoutdsearch.h>
#include <clkoutsearch.h>
#include <devices.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace MirelCalc {

using namespace ModMirel::Calc;

constexpr int kDefaultAlternatives = 5;

// A usage problem, reported as one line.
struct UsageError
{
    std::string text;
};

// The options by name without dashes ("clkin", "clkoutd-tolerance"): the text given,
// or nullopt when absent. A flag ("bypass") is given with any text.
using OptionLookup = std::function<std::optional<std::string>(const char *name)>;

// The names a request may carry, flags last.
extern const char *const kValueOptions[11];
extern const char *const kFlagOptions[1];

struct Request
{
    const Device *device = nullptr;
    ClkoutInput clkout;
    bool clkoutdEnabled = false;
    ClkoutdInput clkoutd;
    int alternatives = kDefaultAlternatives;
};

struct Outcome
{
    bool ok = false;
    std::optional<int> idiv, fbdiv, odiv, sdiv;
    std::optional<double> clkout, clkoutd, pfd, vco;
    std::optional<double> clkoutPpm, clkoutdPpm;
    std::optional<double> clkoutShown, clkoutdShown; // what the dialog's result fields would show
    std::vector<std::string> messages;               // the batch form's lines, in order
    std::vector<Alternative> alternatives;
    bool vcoDiagnostic = false;
};

// Throws UsageError.
Request parseRequest(const OptionLookup &option);
Outcome run(const Request &request);

std::string odivList();

} // namespace MirelCalc
