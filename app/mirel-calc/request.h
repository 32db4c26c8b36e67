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
// How a message names an option: "--clkin" on the command line, a stream's request
// as it spelled it.
using OptionShown = std::function<std::string(const char *name)>;

// The names a request may carry, flags last.
extern const char *const kValueOptions[11];
extern const char *const kFlagOptions[1];
// The batch key of mirel-host create that an option stands for ("CLKIN_FREQ" for
// "clkin"), or null; each option also answers to it and to its spelling in lower
// case with dashes ("clkin-freq").
const char *batchKey(const char *name);

// An option given that the other settings leave without effect, in batch keys,
// as create names it.
struct Ignored
{
    std::string key, byKey;
    bool byValue = true;
};

struct Request
{
    const Device *device = nullptr;
    ClkoutInput clkout;
    bool clkoutdEnabled = false;
    // As the dialog's rule has it, CLKOUTD of a bypassed CLKOUT passes CLKIN through.
    bool clkoutdBypassed = false;
    ClkoutdInput clkoutd;
    int alternatives = kDefaultAlternatives;
    // The frequencies as asked, against which errors are reckoned; the searches take
    // them with the form's three decimals.
    double clkoutAsked = 0.0, clkoutdAsked = 0.0;
    // "WARNING: " lines: what is used otherwise than given, or not at all.
    std::vector<std::string> warnings;
    std::vector<Ignored> ignored;
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
Request parseRequest(const OptionLookup &option, const OptionShown &shown);
Outcome run(const Request &request);

std::string odivList();

} // namespace MirelCalc
