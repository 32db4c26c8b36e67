// SPDX-License-Identifier: MIT
#pragma once

// What mirel-calc is asked, from its options or from one line of a stream, and
// what it answers. No Qt: the program starts as fast as the C tools.
#include <alternatives.h>
#include <clkoutdsearch.h>
#include <clkoutsearch.h>
#include <devices.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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

// The batch key of mirel-host create that an option stands for ("CLKIN_FREQ" for
// "clkin"), or null; each option also answers to it and to its dashed spelling.
const char *batchKey(Opt::Name name);
// A batch key in lower case with dashes: "clkin-freq" for "CLKIN_FREQ".
std::string dashedKey(const char *key);

// The text given for each name, or nullopt when absent; the flag is given with any text.
using OptionValues = std::array<std::optional<std::string>, Opt::Count>;
// How a message names each option: "--clkin" on the command line, a stream's request
// as it spelled it.
using OptionSpellings = std::array<std::string_view, Opt::Count>;

// An option given that the other settings leave without effect, in batch keys,
// as create names it.
struct Ignored
{
    const char *key, *byKey;
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

// Reads a request; false, with the usage problem as one line, when it is none.
bool parseRequest(const OptionValues &given, const OptionSpellings &shown, Request &request, std::string &problem);
Outcome run(const Request &request);
// The request as asked, or under strict its warnings as errors and nothing searched.
Outcome answer(const Request &request, bool strict);

std::string odivList();

// The searches of modes.h read their options by name and refuse by throwing; they are
// not the common path.

// A usage problem, reported as one line.
struct UsageError
{
    std::string text;
};

// The options by name without dashes: the text given, or nullopt when absent.
using OptionLookup = std::function<std::optional<std::string>(const char *name)>;
// How a message names an option.
using OptionShown = std::function<std::string(const char *name)>;

// parseRequest through a lookup; throws UsageError.
Request parseRequest(const OptionLookup &option, const OptionShown &shown);

} // namespace MirelCalc
