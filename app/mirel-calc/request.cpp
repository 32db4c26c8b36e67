// SPDX-License-Identifier: MIT
#include "request.h"

#include <rangelabels.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace MirelCalc {

const char *const kValueOptions[11] = {"device",      "clkin", "clkout",  "tolerance",         "idiv",
                                       "fbdiv",       "odiv",  "clkoutd", "clkoutd-tolerance", "sdiv",
                                       "alternatives"};
const char *const kFlagOptions[1] = {"bypass"};

const char *batchKey(const char *name)
{
    static const std::pair<const char *, const char *> keys[] = {{"clkin", "CLKIN_FREQ"},
                                                                 {"clkout", "CLKOUT_FREQ"},
                                                                 {"tolerance", "CLKOUT_TOLERANCE"},
                                                                 {"idiv", "CLKIN_DIVIDE_STATIC_SEL"},
                                                                 {"fbdiv", "CLKFB_DIVIDE_STATIC_SEL"},
                                                                 {"odiv", "CLKOUT_DIVIDER"},
                                                                 {"clkoutd", "CLKOUTD_FREQ"},
                                                                 {"clkoutd-tolerance", "CLKOUTD_TOLERANCE"},
                                                                 {"sdiv", "CLKOUTD_DIVIDE"},
                                                                 {"bypass", "CLKOUT_BYPASS"}};
    for (const auto &[option, key] : keys) {
        if (std::strcmp(option, name) == 0)
            return key;
    }
    return nullptr;
}

namespace {

constexpr int kMaxAlternatives = kDividerMax * kDividerMax;

class Args
{
public:
    Args(const OptionLookup &lookup, const OptionShown &shown)
        : lookup(lookup)
        , shown(shown)
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

    // One of the form's tolerances, matched as a number: 2 is "2.0".
    double tolerance(const char *name) const
    {
        const double v = number(name);
        if (std::find(kTolerancePercents.begin(), kTolerancePercents.end(), v) != kTolerancePercents.end())
            return v;
        std::string listed;
        for (double percent : kTolerancePercents)
            listed += (listed.empty() ? "" : ", ") + formatNumber(percent, 'f', 1);
        throw UsageError{dashed(name) + " must be one of " + listed + ", not \"" + text(name) + "\""};
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

    std::string dashed(const char *name) const { return shown(name); }

private:
    const OptionLookup &lookup;
    const OptionShown &shown;
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

Request parseRequest(const OptionLookup &option, const OptionShown &shown)
{
    const Args args(option, shown);
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
    const auto modeOptions = [&shown] {
        return shown("idiv") + ", " + shown("fbdiv") + " and " + shown("odiv");
    };
    if (advanced && !(args.isSet("idiv") && args.isSet("fbdiv") && args.isSet("odiv")))
        throw UsageError{"Advanced Mode needs all of " + modeOptions()};
    if (advanced && args.isSet("clkout"))
        throw UsageError{shown("clkout") + " (General Mode) and " + shown("idiv") + "/" + shown("fbdiv") + "/"
                         + shown("odiv") + " (Advanced Mode) exclude each other"};
    if (advanced && args.isSet("bypass"))
        throw UsageError{shown("bypass") + " is a General Mode setting; it does not go with " + shown("idiv") + "/"
                         + shown("fbdiv") + "/" + shown("odiv")};
    if (!advanced && !args.isSet("clkout") && !args.isSet("bypass"))
        throw UsageError{"give " + shown("clkout") + " MHZ, or " + shown("bypass") + ", or " + modeOptions()};
    if (args.isSet("tolerance") && !args.isSet("clkout"))
        throw UsageError{shown("tolerance") + " needs " + shown("clkout")};
    if (args.isSet("clkoutd") && args.isSet("sdiv"))
        throw UsageError{shown("clkoutd") + " (search SDIV) and " + shown("sdiv") + " (given SDIV) exclude each other"};
    // As create's CLKOUTD_DIVIDE: in General Mode the search picks SDIV.
    if (args.isSet("sdiv") && !advanced)
        throw UsageError{shown("sdiv") + " applies only in Advanced Mode (" + modeOptions() + ")"};
    if (args.isSet("clkoutd-tolerance") && !args.isSet("clkoutd"))
        throw UsageError{shown("clkoutd-tolerance") + " needs " + shown("clkoutd")};
    if (!args.isSet("clkin"))
        throw UsageError{shown("clkin") + " MHZ is required"};

    // A frequency is taken with the three decimals the dialog's spin box keeps, and said so.
    const auto kept = [&](const char *name, double asked) {
        // Formatting costs more than the search; a value with three decimals at most needs none.
        if (std::round(asked * 1000.0) / 1000.0 == asked)
            return asked;
        const std::string text = formatMHz(asked);
        const double used = std::strtod(text.c_str(), nullptr);
        if (used != asked)
            r.warnings.push_back("WARNING: " + shown(name) + " " + args.text(name) + " is used as " + text
                                 + " MHz: the form keeps 3 decimals.");
        return used;
    };
    const std::string &name = r.device->device;
    r.clkout.clkin = kept("clkin", args.frequency("clkin", ranges.clkinMin, ranges.clkinMax, ranges,
                                                  &RangeLabels::clkinLowText, &RangeLabels::clkinHighText, name));
    r.clkout.generalMode = !advanced;
    r.clkout.clkoutNoBypass = !args.isSet("bypass");
    if (args.isSet("clkout")) {
        r.clkoutAsked = args.frequency("clkout", ranges.clkoutMin, ranges.clkoutMax, ranges,
                                       &RangeLabels::clkoutLowText, &RangeLabels::clkoutHighText, name);
        r.clkout.expected = kept("clkout", r.clkoutAsked);
    }
    if (args.isSet("tolerance"))
        r.clkout.tolerancePercent = args.tolerance("tolerance");
    if (advanced) {
        r.clkout.idiv = args.integer("idiv", kDividerMin, kDividerMax);
        r.clkout.fbdiv = args.integer("fbdiv", kDividerMin, kDividerMax);
        const std::string odiv = args.text("odiv");
        char *end = nullptr;
        const long value = std::strtol(odiv.c_str(), &end, 10);
        const bool whole = !odiv.empty() && end == odiv.c_str() + odiv.size();
        if (!whole || std::find(kOdivCandidates.begin(), kOdivCandidates.end(), value) == kOdivCandidates.end())
            throw UsageError{shown("odiv") + " must be one of " + odivList() + ", not \"" + odiv + "\""};
        r.clkout.odiv = int(value);
    }

    r.clkoutdEnabled = args.isSet("clkoutd") || args.isSet("sdiv");
    r.clkoutdBypassed = r.clkoutdEnabled && args.isSet("bypass");
    // What create's settings leave without effect: a wanted CLKOUTD where CLKOUTD passes
    // CLKIN through, or where Advanced Mode takes SDIV as given (2 unless --sdiv).
    const bool clkoutdIgnored = args.isSet("clkoutd") && (r.clkoutdBypassed || advanced);
    r.clkoutd.generalMode = args.isSet("clkoutd") && !clkoutdIgnored;
    if (args.isSet("clkoutd")) {
        const double asked = args.frequency("clkoutd", ranges.clkoutdMin, ranges.clkoutdMax, ranges,
                                            &RangeLabels::clkoutdLowText, &RangeLabels::clkoutdHighText, name);
        r.clkoutdAsked = clkoutdIgnored ? 0.0 : asked;
        r.clkoutd.expected = clkoutdIgnored ? 0.0 : kept("clkoutd", asked);
    }
    if (args.isSet("clkoutd-tolerance"))
        r.clkoutd.tolerancePercent = args.tolerance("clkoutd-tolerance");
    if (args.isSet("sdiv")) // odd values pass here; the even-number rule refuses them as a result
        r.clkoutd.sdiv = args.integer("sdiv", kSdivMin, kSdivMax);
    if (clkoutdIgnored) {
        for (const char *wanted : {"clkoutd", "clkoutd-tolerance"}) {
            if (!args.isSet(wanted))
                continue;
            const std::string reason = r.clkoutdBypassed ? " has no effect with " + shown("bypass")
                                                                   + ": CLKOUTD passes CLKIN through."
                                                         : " has no effect in Advanced Mode: CLKOUTD divides by "
                                                           "SDIV 2.";
            r.warnings.push_back("WARNING: " + shown(wanted) + reason);
            r.ignored.push_back(r.clkoutdBypassed ? Ignored{batchKey(wanted), "CLKOUTD_BYPASS", true}
                                                  : Ignored{batchKey(wanted), "MODE_GENERAL", false});
        }
    }

    if (args.isSet("alternatives"))
        r.alternatives = args.integer("alternatives", 0, kMaxAlternatives);
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

} // namespace MirelCalc
