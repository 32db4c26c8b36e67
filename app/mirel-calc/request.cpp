// SPDX-License-Identifier: MIT
#include "request.h"

#include <rangelabels.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace MirelCalc {

const char *const kOptionNames[Opt::Count] = {"device",       "clkin", "clkout",  "tolerance",         "idiv",
                                              "fbdiv",        "odiv",  "clkoutd", "clkoutd-tolerance", "sdiv",
                                              "alternatives", "bypass"};

namespace {

constexpr int kMaxAlternatives = kDividerMax * kDividerMax;

// The given texts read as numbers. A reading that fails keeps its usage problem, and
// returns false; a refusal is an answer, not an exception.
class Args
{
public:
    Args(const OptionValues &given, std::string &problem)
        : given(given)
        , problem(problem)
    {}

    bool isSet(Opt::Name name) const { return given[name].has_value(); }
    const std::string &text(Opt::Name name) const { return given[name] ? *given[name] : none; }

    bool fail(std::string text)
    {
        problem = std::move(text);
        return false;
    }

    bool number(Opt::Name name, double &v)
    {
        const std::string &t = text(name);
        const char *begin = t.c_str();
        char *end = nullptr;
        errno = 0;
        v = std::strtod(begin, &end);
        if (t.empty() || end != begin + t.size() || !std::isfinite(v))
            return fail(dashed(name) + " needs a finite number, not \"" + t + "\"");
        return true;
    }

    // Refuses what the dialog's spin box could not hold; the message names the device's
    // real bounds as its labels print them, and a value equal to a printed bound passes.
    using BoundText = std::string (RangeLabels::*)() const;
    bool frequency(Opt::Name name, double lo, double hi, const RangeLabels &ranges, BoundText low, BoundText high,
                   const std::string &device, double &v)
    {
        if (!number(name, v))
            return false;
        // The texts only where the value is near or beyond a bound: formatting costs
        // more than the search.
        if (v < lo ? v < std::strtod((ranges.*low)().c_str(), nullptr) : v > hi) {
            return fail(dashed(name) + " " + text(name) + " is outside " + (ranges.*low)() + "~" + (ranges.*high)()
                        + " MHz for " + device);
        }
        return true;
    }

    bool percent(Opt::Name name, double &v)
    {
        if (!number(name, v))
            return false;
        return v >= 0.0 || fail(dashed(name) + " must not be negative");
    }

    bool integer(Opt::Name name, int lo, int hi, int &v)
    {
        const std::string &t = text(name);
        const char *begin = t.c_str();
        char *end = nullptr;
        errno = 0;
        const long value = std::strtol(begin, &end, 10);
        if (t.empty() || end != begin + t.size() || errno == ERANGE || value < lo || value > hi) {
            return fail(dashed(name) + " needs a whole number from " + std::to_string(lo) + " to " + std::to_string(hi)
                        + ", not \"" + t + "\"");
        }
        v = int(value);
        return true;
    }

    static std::string dashed(Opt::Name name) { return std::string("--") + kOptionNames[name]; }

private:
    const OptionValues &given;
    std::string &problem;
    const std::string none;
};

double ppm(double actual, double expected)
{
    return (actual - expected) / expected * 1e6;
}

} // namespace

std::string odivList()
{
    std::string values;
    for (int odiv : kOdivCandidates)
        values += (values.empty() ? "" : ", ") + std::to_string(odiv);
    return values;
}

bool parseRequest(const OptionValues &given, Request &r, std::string &problem)
{
    using namespace Opt;
    Args args(given, problem);
    r = Request();
    if (args.isSet(Device)) {
        r.device = findDevice(args.text(Device));
        if (!r.device)
            return args.fail("unknown device \"" + args.text(Device) + "\"");
    } else {
        r.device = &devices().front();
    }
    r.clkout.limits = r.device->pll;
    // The dialog's spin boxes bound the frequencies the same way.
    const RangeLabels ranges = rangeLabels(r.clkout.limits);

    const bool advanced = args.isSet(Idiv) || args.isSet(Fbdiv) || args.isSet(Odiv);
    if (advanced && !(args.isSet(Idiv) && args.isSet(Fbdiv) && args.isSet(Odiv)))
        return args.fail("Advanced Mode needs all of --idiv, --fbdiv and --odiv");
    if (advanced && args.isSet(Clkout))
        return args.fail("--clkout (General Mode) and --idiv/--fbdiv/--odiv (Advanced Mode) exclude each other");
    if (advanced && args.isSet(Bypass))
        return args.fail("--bypass is a General Mode setting; it does not go with --idiv/--fbdiv/--odiv");
    if (!advanced && !args.isSet(Clkout) && !args.isSet(Bypass))
        return args.fail("give --clkout MHZ, or --bypass, or --idiv, --fbdiv and --odiv");
    if (args.isSet(Tolerance) && !args.isSet(Clkout))
        return args.fail("--tolerance needs --clkout");
    if (args.isSet(Clkoutd) && args.isSet(Sdiv))
        return args.fail("--clkoutd (search SDIV) and --sdiv (given SDIV) exclude each other");
    if (args.isSet(ClkoutdTolerance) && !args.isSet(Clkoutd))
        return args.fail("--clkoutd-tolerance needs --clkoutd");
    if (!args.isSet(Clkin))
        return args.fail("--clkin MHZ is required");

    const std::string &name = r.device->device;
    if (!args.frequency(Clkin, ranges.clkinMin, ranges.clkinMax, ranges, &RangeLabels::clkinLowText,
                        &RangeLabels::clkinHighText, name, r.clkout.clkin))
        return false;
    r.clkout.generalMode = !advanced;
    r.clkout.clkoutNoBypass = !args.isSet(Bypass);
    if (args.isSet(Clkout)
        && !args.frequency(Clkout, ranges.clkoutMin, ranges.clkoutMax, ranges, &RangeLabels::clkoutLowText,
                           &RangeLabels::clkoutHighText, name, r.clkout.expected))
        return false;
    if (args.isSet(Tolerance) && !args.percent(Tolerance, r.clkout.tolerancePercent))
        return false;
    if (advanced) {
        if (!args.integer(Idiv, kDividerMin, kDividerMax, r.clkout.idiv)
            || !args.integer(Fbdiv, kDividerMin, kDividerMax, r.clkout.fbdiv))
            return false;
        const std::string &odiv = args.text(Odiv);
        char *end = nullptr;
        const long value = std::strtol(odiv.c_str(), &end, 10);
        const bool whole = !odiv.empty() && end == odiv.c_str() + odiv.size();
        if (!whole || std::find(kOdivCandidates.begin(), kOdivCandidates.end(), value) == kOdivCandidates.end())
            return args.fail("--odiv must be one of " + odivList() + ", not \"" + odiv + "\"");
        r.clkout.odiv = int(value);
    }

    r.clkoutdEnabled = args.isSet(Clkoutd) || args.isSet(Sdiv);
    r.clkoutd.generalMode = args.isSet(Clkoutd);
    if (args.isSet(Clkoutd)
        && !args.frequency(Clkoutd, ranges.clkoutdMin, ranges.clkoutdMax, ranges, &RangeLabels::clkoutdLowText,
                           &RangeLabels::clkoutdHighText, name, r.clkoutd.expected))
        return false;
    if (args.isSet(ClkoutdTolerance) && !args.percent(ClkoutdTolerance, r.clkoutd.tolerancePercent))
        return false;
    // Odd values pass here; the even-number rule refuses them as a result.
    if (args.isSet(Sdiv) && !args.integer(Sdiv, kSdivMin, kSdivMax, r.clkoutd.sdiv))
        return false;
    return !args.isSet(Alternatives) || args.integer(Alternatives, 0, kMaxAlternatives, r.alternatives);
}

Outcome run(const Request &req)
{
    Outcome out;
    // Like generation, an odd SDIV stops everything before any search.
    if (req.clkoutdEnabled && !req.clkoutd.generalMode && !sdivIsEven(req.clkoutd.sdiv)) {
        SearchMessage odd = sdivNotEvenMessage();
        const ClkoutResult c = searchClkout(req.clkout);
        odd.hints.push_back(c.ok ? evenSdivHint(c.frequency, c.frequency / req.clkoutd.sdiv)
                                 : evenSdivHint(req.clkoutd.sdiv));
        out.messages = odd.warningLines();
        return out;
    }

    const ClkoutInput &in = req.clkout;
    const ClkoutResult c = searchClkout(in);
    if (c.showsFrequency)
        out.clkoutShown = c.shownFrequency;
    out.vcoDiagnostic = c.vcoDiagnostic;
    if (!c.ok) {
        out.messages = c.warningLines();
        if (c.searchCase == ClkoutCase::General)
            out.alternatives = nearestClkouts(in, req.alternatives);
        return out;
    }

    // Advanced Mode takes the user's dividers as they are.
    const bool fromSearch = c.setsDividers;
    out.idiv = fromSearch ? c.idiv : in.idiv;
    out.fbdiv = fromSearch ? c.fbdiv : in.fbdiv;
    out.odiv = fromSearch ? c.odiv : in.odiv;
    out.clkout = c.frequency;
    out.pfd = in.clkin / *out.idiv;
    out.vco = *out.odiv * c.frequency;
    if (c.searchCase == ClkoutCase::General)
        out.clkoutPpm = ppm(c.frequency, in.expected);
    out.ok = true;

    if (!req.clkoutdEnabled)
        return out;
    ClkoutdInput din = req.clkoutd;
    din.clkoutFrequency = c.frequency;
    const ClkoutdResult d = searchClkoutd(din);
    out.clkoutdShown = d.shownFrequency;
    if (!d.ok) {
        out.messages = d.warningLines();
        out.ok = false;
        return out;
    }
    out.sdiv = d.setsSdiv ? d.sdiv : din.sdiv;
    out.clkoutd = d.frequency;
    if (din.generalMode)
        out.clkoutdPpm = ppm(d.frequency, din.expected);
    return out;
}

} // namespace MirelCalc
