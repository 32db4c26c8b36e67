// SPDX-License-Identifier: MIT
#include "request.h"

#include <rangelabels.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace MirelCalc {

const char *const kOptionNames[Opt::Count] = {"device",       "clkin", "clkout",  "tolerance",         "idiv",
                                              "fbdiv",        "odiv",  "clkoutd", "clkoutd-tolerance", "sdiv",
                                              "alternatives", "bypass"};

const char *batchKey(Opt::Name name)
{
    static const char *const keys[Opt::Count] = {nullptr,
                                                 "CLKIN_FREQ",
                                                 "CLKOUT_FREQ",
                                                 "CLKOUT_TOLERANCE",
                                                 "CLKIN_DIVIDE_STATIC_SEL",
                                                 "CLKFB_DIVIDE_STATIC_SEL",
                                                 "CLKOUT_DIVIDER",
                                                 "CLKOUTD_FREQ",
                                                 "CLKOUTD_TOLERANCE",
                                                 "CLKOUTD_DIVIDE",
                                                 nullptr,
                                                 "CLKOUT_BYPASS"};
    return keys[name];
}

std::string dashedKey(const char *key)
{
    std::string spelt = key;
    for (char &c : spelt)
        c = c == '_' ? '-' : char(std::tolower(static_cast<unsigned char>(c)));
    return spelt;
}

namespace {

constexpr int kMaxAlternatives = kDividerMax * kDividerMax;

// The given texts read as numbers. A reading that fails keeps its usage problem, and
// returns false; a refusal is an answer, not an exception.
class Args
{
public:
    Args(const OptionValues &given, const OptionSpellings &shown, std::string &problem)
        : given(given)
        , shown(shown)
        , problem(problem)
    {}

    bool isSet(Opt::Name name) const { return given[name].has_value(); }
    const std::string &text(Opt::Name name) const { return given[name] ? *given[name] : none; }
    std::string named(Opt::Name name) const { return std::string(shown[name]); }

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
            return fail(named(name) + " needs a finite number, not \"" + t + "\"");
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
            return fail(named(name) + " " + text(name) + " is outside " + (ranges.*low)() + "~" + (ranges.*high)()
                        + " MHz for " + device);
        }
        return true;
    }

    // One of the form's tolerances, matched as a number: 2 is "2.0".
    bool tolerance(Opt::Name name, double &v)
    {
        if (!number(name, v))
            return false;
        if (std::find(kTolerancePercents.begin(), kTolerancePercents.end(), v) != kTolerancePercents.end())
            return true;
        std::string listed;
        for (double percent : kTolerancePercents)
            listed += (listed.empty() ? "" : ", ") + formatNumber(percent, 'f', 1);
        return fail(named(name) + " must be one of " + listed + ", not \"" + text(name) + "\"");
    }

    bool integer(Opt::Name name, int lo, int hi, int &v)
    {
        const std::string &t = text(name);
        const char *begin = t.c_str();
        char *end = nullptr;
        errno = 0;
        const long value = std::strtol(begin, &end, 10);
        if (t.empty() || end != begin + t.size() || errno == ERANGE || value < lo || value > hi) {
            return fail(named(name) + " needs a whole number from " + std::to_string(lo) + " to " + std::to_string(hi)
                        + ", not \"" + t + "\"");
        }
        v = int(value);
        return true;
    }

private:
    const OptionValues &given;
    const OptionSpellings &shown;
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

bool parseRequest(const OptionValues &given, const OptionSpellings &shown, Request &r, std::string &problem)
{
    using namespace Opt;
    Args args(given, shown, problem);
    const auto named = [&args](Opt::Name name) {
        return args.named(name);
    };
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
    const auto modeOptions = [&] {
        return named(Idiv) + ", " + named(Fbdiv) + " and " + named(Odiv);
    };
    const auto dividers = [&] {
        return named(Idiv) + "/" + named(Fbdiv) + "/" + named(Odiv);
    };
    if (advanced && !(args.isSet(Idiv) && args.isSet(Fbdiv) && args.isSet(Odiv)))
        return args.fail("Advanced Mode needs all of " + modeOptions());
    if (advanced && args.isSet(Clkout))
        return args.fail(named(Clkout) + " (General Mode) and " + dividers() + " (Advanced Mode) exclude each other");
    if (advanced && args.isSet(Bypass))
        return args.fail(named(Bypass) + " is a General Mode setting; it does not go with " + dividers());
    if (!advanced && !args.isSet(Clkout) && !args.isSet(Bypass))
        return args.fail("give " + named(Clkout) + " MHZ, or " + named(Bypass) + ", or " + modeOptions());
    if (args.isSet(Tolerance) && !args.isSet(Clkout))
        return args.fail(named(Tolerance) + " needs " + named(Clkout));
    if (args.isSet(Clkoutd) && args.isSet(Sdiv))
        return args.fail(named(Clkoutd) + " (search SDIV) and " + named(Sdiv) + " (given SDIV) exclude each other");
    // As create's CLKOUTD_DIVIDE: in General Mode the search picks SDIV.
    if (args.isSet(Sdiv) && !advanced)
        return args.fail(named(Sdiv) + " applies only in Advanced Mode (" + modeOptions() + ")");
    if (args.isSet(ClkoutdTolerance) && !args.isSet(Clkoutd))
        return args.fail(named(ClkoutdTolerance) + " needs " + named(Clkoutd));
    if (!args.isSet(Clkin))
        return args.fail(named(Clkin) + " MHZ is required");

    // A frequency is taken with the three decimals the dialog's spin box keeps, and said so.
    const auto kept = [&](Opt::Name name, double asked) {
        // Formatting costs more than the search; a value with three decimals at most needs none.
        if (std::round(asked * 1000.0) / 1000.0 == asked)
            return asked;
        const std::string text = formatMHz(asked);
        const double used = std::strtod(text.c_str(), nullptr);
        if (used != asked)
            r.warnings.push_back("WARNING: " + named(name) + " " + args.text(name) + " is used as " + text
                                 + " MHz: the form keeps 3 decimals.");
        return used;
    };
    const std::string &name = r.device->device;
    double clkin = 0.0;
    if (!args.frequency(Clkin, ranges.clkinMin, ranges.clkinMax, ranges, &RangeLabels::clkinLowText,
                        &RangeLabels::clkinHighText, name, clkin))
        return false;
    r.clkout.clkin = kept(Clkin, clkin);
    r.clkout.generalMode = !advanced;
    r.clkout.clkoutNoBypass = !args.isSet(Bypass);
    if (args.isSet(Clkout)) {
        if (!args.frequency(Clkout, ranges.clkoutMin, ranges.clkoutMax, ranges, &RangeLabels::clkoutLowText,
                            &RangeLabels::clkoutHighText, name, r.clkoutAsked))
            return false;
        r.clkout.expected = kept(Clkout, r.clkoutAsked);
    }
    if (args.isSet(Tolerance) && !args.tolerance(Tolerance, r.clkout.tolerancePercent))
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
            return args.fail(named(Odiv) + " must be one of " + odivList() + ", not \"" + odiv + "\"");
        r.clkout.odiv = int(value);
    }

    r.clkoutdEnabled = args.isSet(Clkoutd) || args.isSet(Sdiv);
    r.clkoutdBypassed = r.clkoutdEnabled && args.isSet(Bypass);
    // What create's settings leave without effect: a wanted CLKOUTD where CLKOUTD passes
    // CLKIN through, or where Advanced Mode takes SDIV as given (2 unless --sdiv).
    const bool clkoutdIgnored = args.isSet(Clkoutd) && (r.clkoutdBypassed || advanced);
    r.clkoutd.generalMode = args.isSet(Clkoutd) && !clkoutdIgnored;
    if (args.isSet(Clkoutd)) {
        double asked = 0.0;
        if (!args.frequency(Clkoutd, ranges.clkoutdMin, ranges.clkoutdMax, ranges, &RangeLabels::clkoutdLowText,
                            &RangeLabels::clkoutdHighText, name, asked))
            return false;
        r.clkoutdAsked = clkoutdIgnored ? 0.0 : asked;
        r.clkoutd.expected = clkoutdIgnored ? 0.0 : kept(Clkoutd, asked);
    }
    if (args.isSet(ClkoutdTolerance) && !args.tolerance(ClkoutdTolerance, r.clkoutd.tolerancePercent))
        return false;
    // Odd values pass here; the even-number rule refuses them as a result.
    if (args.isSet(Sdiv) && !args.integer(Sdiv, kSdivMin, kSdivMax, r.clkoutd.sdiv))
        return false;
    if (clkoutdIgnored) {
        for (const Opt::Name wanted : {Clkoutd, ClkoutdTolerance}) {
            if (!args.isSet(wanted))
                continue;
            const std::string reason = r.clkoutdBypassed ? " has no effect with " + named(Bypass)
                                                                   + ": CLKOUTD passes CLKIN through."
                                                         : " has no effect in Advanced Mode: CLKOUTD divides by "
                                                           "SDIV 2.";
            r.warnings.push_back("WARNING: " + named(wanted) + reason);
            r.ignored.push_back(r.clkoutdBypassed ? Ignored{batchKey(wanted), "CLKOUTD_BYPASS", true}
                                                  : Ignored{batchKey(wanted), "MODE_GENERAL", false});
        }
    }
    return !args.isSet(Alternatives) || args.integer(Alternatives, 0, kMaxAlternatives, r.alternatives);
}

Request parseRequest(const OptionLookup &option, const OptionShown &shown)
{
    OptionValues given;
    std::string names[Opt::Count];
    OptionSpellings spellings;
    for (int n = 0; n < Opt::Count; ++n) {
        given[n] = option(kOptionNames[n]);
        spellings[n] = names[n] = shown(kOptionNames[n]);
    }
    Request r;
    std::string problem;
    if (!parseRequest(given, spellings, r, problem))
        throw UsageError{problem};
    return r;
}

Outcome run(const Request &req)
{
    Outcome out;
    out.messages = req.warnings;
    // An odd SDIV is refused like create's CLKOUTD_DIVIDE, before any search.
    if (req.clkoutdEnabled && !req.clkoutdBypassed && !req.clkoutd.generalMode && !sdivIsEven(req.clkoutd.sdiv)) {
        const ClkoutResult c = searchClkout(req.clkout);
        out.messages.push_back("ERROR: " + sdivNotEvenMessage().message());
        out.messages.push_back(
                "ERROR: "
                + (c.ok ? evenSdivHint(c.frequency, c.frequency / req.clkoutd.sdiv) : evenSdivHint(req.clkoutd.sdiv)));
        return out;
    }

    const ClkoutInput &in = req.clkout;
    const ClkoutResult c = searchClkout(in);
    if (c.showsFrequency)
        out.clkoutShown = c.shownFrequency;
    out.vcoDiagnostic = c.vcoDiagnostic;
    if (!c.ok) {
        for (std::string &line : c.warningLines())
            out.messages.push_back(std::move(line));
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
        out.clkoutPpm = ppm(c.frequency, req.clkoutAsked);
    out.ok = true;

    if (!req.clkoutdEnabled)
        return out;
    if (req.clkoutdBypassed) {
        out.clkoutd = in.clkin;
        return out;
    }
    ClkoutdInput din = req.clkoutd;
    din.clkoutFrequency = c.frequency;
    const ClkoutdResult d = searchClkoutd(din);
    out.clkoutdShown = d.shownFrequency;
    if (!d.ok) {
        for (std::string &line : d.warningLines())
            out.messages.push_back(std::move(line));
        out.ok = false;
        return out;
    }
    out.sdiv = d.setsSdiv ? d.sdiv : din.sdiv;
    out.clkoutd = d.frequency;
    if (din.generalMode)
        out.clkoutdPpm = ppm(d.frequency, req.clkoutdAsked);
    return out;
}

Outcome answer(const Request &req, bool strict)
{
    if (!strict || req.warnings.empty())
        return run(req);
    Outcome refused;
    for (const std::string &line : req.warnings)
        refused.messages.push_back("ERROR" + line.substr(std::strlen("WARNING")));
    return refused;
}

} // namespace MirelCalc
