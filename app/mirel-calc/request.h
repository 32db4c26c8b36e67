// SPDX-License-Identifier: MIT
#pragma once

// What mirel-calc is asked, from its options or from one line of a stream, and
// what it answers. No Qt: the program starts as fast as the C tools.
#include <alternatives.h>
#include <clkoutdsearch.h>
#include <clkoutsearch.h>
#include <devices.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace MirelCalc {

using namespace ModMirel::Calc;

constexpr int kDefaultAlternatives = 5;

// The names a request may carry, without dashes ("clkin", "clkoutd-tolerance"): the
// value options, then the flag.
namespace Opt {
enum Name : int {
    Device,
    Clkin,
    Clkout,
    Tolerance,
    Idiv,
    Fbdiv,
    Odiv,
    Clkoutd,
    ClkoutdTolerance,
    Sdiv,
    Alternatives,
    Bypass,
    Count
};
}
extern const char *const kOptionNames[Opt::Count];

// The text given for each name, or nullopt when absent; the flag is given with any text.
using OptionValues = std::array<std::optional<std::string>, Opt::Count>;

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

// Reads a request; false, with the usage problem as one line, when it is none.
bool parseRequest(const OptionValues &given, Request &request, std::string &problem);
Outcome run(const Request &request);

std::string odivList();

} // namespace MirelCalc
