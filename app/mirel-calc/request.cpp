// SPDX-License-Identifier: MIT
#include "request.h"

#include <rangelabels.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace MirelCalc {

const char *const kValueOptions[11] = {"device",      "clkin", "clkout",  "tolerance",         "idiv",
                                       "fbdiv",       "odiv",  "clkoutd", "clkoutd-tolerance", "sdiv",
                                       "alternatives"};
const char *const kFlagOptions[1] = {"bypass"};

namespace {

constexpr int kMaxAlternatives = kDividerMax * kDividerMax;

class Args
{
public:
    explicit Args(const OptionLookup &lookup)
        : lookup(lookup)
    {}

    bool isSet(const char *name) const { return lookup(name).has_value(); }
    std::string text(const char *name) const { return lookup(name).value_or(std::string()); }

    double number(const char *name) const
    {
        const std::string t = text(name);
        const char *begin = t.c_str();
        char *end = nullptr;
        errno = 0;
        const double v = std::strtod(begin, &end);
        if (t.empty() || end != begin + t.size() || !std::isfinite(v))
            throw UsageError{dashed(name) + " needs a finite number, not \"" + t + "\""};
        return v;
    }

    // Refuses what the dialog's spin box could not hold; the message names the device's
    // real bounds as its labels print them, and a value equal to a printed bound passes.
    using BoundText = std::string (RangeLabels::*)() const;
    double frequency(const char *name, double lo, double hi, const RangeLabels &ranges, BoundText low, BoundText high,
                     const std::string &device) const
    {
        const double v = number(name);
        // The texts only where the value is near or beyond a bound: formatting costs
        // more than the search.
        if (v < lo ? v < std::strtod((ranges.*low)().c_str(), nullptr) : v > hi) {
            throw UsageError{dashed(name) + " " + text(name) + " is outside " + (ranges.*low)() + "~" + (ranges.*high)()
                             + " MHz for " + device};
        }
        return v;
    }

    double percent(const char *name) const
    {
        const double v = number(name);
        if (v < 0.0)
            throw UsageError{dashed(name) + " must not be negative"};
        return v;
    }

    int integer(const char *name, int lo, int hi) const
    {
        const std::string t = text(name);
        const char *begin = t.c_str();
        char *end = nullptr;
        errno = 0;
        const long v = std::strtol(begin, &end, 10);
        if (t.empty() || end != begin + t.size() || errno == ERANGE || v < lo || v > hi) {
            throw UsageError{dashed(name) + " needs a whole number from " + std::to_string(lo) + " to "
                             + std::to_string(hi) + ", not \"" + t + "\""};
        }
        return int(v);
    }

    static std::string dashed(const char *name) { return std::string("--") + name; }

private:
    const OptionLookup &lookup;
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

Request parseRequest(const OptionLookup &option)
{
    const Args args(option);
    Request r;
    if (args.isSet("device")) {
        r.device = findDevice(args.text("device"));
        if (!r.device)
            throw UsageError{"unknown device \"" + args.text("device") + "\""};
    } else {
        r.device = &devices().front();
    }
    r.clkout.limits = r.device->pll;
    // The dialog's spin boxes bound the frequencies the same way.
    const RangeLabels ranges = rangeLabels(r.clkout.limits);

    const bool advanced = args.isSet("idiv") || args.isSet("fbdiv") || args.isSet("odiv");
    if (advanced && !(args.isSet("idiv") && args.isSet("fbdiv") && args.isSet("odiv")))
        throw UsageError{"Advanced Mode needs all of --idiv, --fbdiv and --odiv"};
    if (advanced && args.isSet("clkout"))
        throw UsageError{"--clkout (General Mode) and --idiv/--fbdiv/--odiv (Advanced Mode) exclude each other"};
    if (advanced && args.isSet("bypass"))
        throw UsageError{"--bypass is a General Mode setting; it does not go with --idiv/--fbdiv/--odiv"};
    if (!advanced && !args.isSet("clkout") && !args.isSet("bypass"))
        throw UsageError{"give --clkout MHZ, or --bypass, or --idiv, --fbdiv and --odiv"};
    if (args.isSet("tolerance") && !args.isSet("clkout"))
        throw UsageError{"--tolerance needs --clkout"};
    if (args.isSet("clkoutd") && args.isSet("sdiv"))
        throw UsageError{"--clkoutd (search SDIV) and --sdiv (given SDIV) exclude each other"};
    if (args.isSet("clkoutd-tolerance") && !args.isSet("clkoutd"))
        throw UsageError{"--clkoutd-tolerance needs --clkoutd"};
    if (!args.isSet("clkin"))
        throw UsageError{"--clkin MHZ is required"};

    const std::string &name = r.device->device;
    r.clkout.clkin = args.frequency("clkin", ranges.clkinMin, ranges.clkinMax, ranges, &RangeLabels::clkinLowText,
                                    &RangeLabels::clkinHighText, name);
    r.clkout.generalMode = !advanced;
    r.clkout.clkoutNoBypass = !args.isSet("bypass");
    if (args.isSet("clkout")) {
        r.clkout.expected = args.frequency("clkout", ranges.clkoutMin, ranges.clkoutMax, ranges,
                                           &RangeLabels::clkoutLowText, &RangeLabels::clkoutHighText, name);
    }
    if (args.isSet("tolerance"))
        r.clkout.tolerancePercent = args.percent("tolerance");
    if (advanced) {
        r.clkout.idiv = args.integer("idiv", kDividerMin, kDividerMax);
        r.clkout.fbdiv = args.integer("fbdiv", kDividerMin, kDividerMax);
        const std::string odiv = args.text("odiv");
        char *end = nullptr;
        const long value = std::strtol(odiv.c_str(), &end, 10);
        const bool whole = !odiv.empty() && end == odiv.c_str() + odiv.size();
        if (!whole || std::find(kOdivCandidates.begin(), kOdivCandidates.end(), value) == kOdivCandidates.end())
            throw UsageError{"--odiv must be one of " + odivList() + ", not \"" + odiv + "\""};
        r.clkout.odiv = int(value);
    }

    r.clkoutdEnabled = args.isSet("clkoutd") || args.isSet("sdiv");
    r.clkoutd.generalMode = args.isSet("clkoutd");
    if (args.isSet("clkoutd")) {
        r.clkoutd.expected = args.frequency("clkoutd", ranges.clkoutdMin, ranges.clkoutdMax, ranges,
                                            &RangeLabels::clkoutdLowText, &RangeLabels::clkoutdHighText, name);
    }
    if (args.isSet("clkoutd-tolerance"))
        r.clkoutd.tolerancePercent = args.percent("clkoutd-tolerance");
    if (args.isSet("sdiv")) // odd values pass here; the even-number rule refuses them as a result
        r.clkoutd.sdiv = args.integer("sdiv", kSdivMin, kSdivMax);

    if (args.isSet("alternatives"))
        r.alternatives = args.integer("alternatives", 0, kMaxAlternatives);
    return r;
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
