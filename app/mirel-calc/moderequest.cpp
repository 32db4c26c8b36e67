// SPDX-License-Identifier: MIT
#include "moderequest.h"

#include "modefields.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>

namespace MirelCalc {

const char *const kModeValues[6] = {Field::profiles, Field::crystals, Field::clkinRange,
                                    Field::top,      Field::clkoutd3, Field::clkoutd3Tolerance};
const char *const kModeFlags[2] = {Field::bestClkin, Field::joint};

// An option lookup that answers the given names, and nothing else.
OptionLookup lookupOf(const std::map<std::string, std::string> &given)
{
    return [given](const char *name) -> std::optional<std::string> {
        const auto it = given.find(name);
        return it == given.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
}

namespace {

// Messages name the options as the command line spells them.
std::string dashed(const char *name)
{
    return std::string("--") + name;
}

// Options of a plain request these searches refuse.
const char *const kDividerOptions[] = {"idiv", "fbdiv", "odiv", "bypass", "sdiv"};

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + 1)
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

double number(const std::string &text, const std::string &what)
{
    char *end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v) || v < 0.0)
        throw UsageError{what + " needs a finite number not below 0, not \"" + text + "\""};
    return v;
}

// A clock the device takes, checked as --clkin is.
// A plain request's warnings about the values it took, said of `what` instead of its own option.
void keepWarnings(const Request &r, const std::string &what, std::vector<std::string> *warnings)
{
    for (std::string line : r.warnings) {
        if (const std::size_t at = line.find("--"); at != std::string::npos)
            line.replace(at, line.find(' ', at) - at, what);
        warnings->push_back(line);
    }
}

double clkinValue(const std::string &text, const std::string &device, const std::string &what,
                  std::vector<std::string> *warnings)
{
    try {
        const Request r = parseRequest(lookupOf({{"device", device}, {"clkin", text}, {"bypass", ""}}), dashed);
        keepWarnings(r, what, warnings);
        return r.clkout.clkin;
    } catch (const UsageError &e) {
        throw UsageError{what + ": " + e.text};
    }
}

// One profile, "CLKOUT[:TOLERANCE[:CLKOUTD[:CLKOUTD_TOLERANCE]]]", checked as the plain options are.
ProfileWant profileWant(const OptionLookup &option, const std::string &item, std::size_t index,
                        const std::string &clkin, std::vector<std::string> *warnings, bool listed = true)
{
    const std::vector<std::string> f = split(item, ':');
    std::map<std::string, std::string> given{{"clkin", clkin}, {"clkout", f[0]}};
    if (const auto device = option("device"))
        given["device"] = *device;
    const auto field = [&](std::size_t at, const char *name) {
        if (at < f.size() && !f[at].empty())
            given[name] = f[at];
        else if (const auto fallback = option(name))
            given[name] = *fallback;
    };
    field(1, "tolerance");
    if (f.size() > 2 && !f[2].empty()) {
        given["clkoutd"] = f[2];
        field(3, "clkoutd-tolerance");
    }
    try {
        if (f.size() > 4)
            throw UsageError{"a profile has at most four fields, CLKOUT:TOLERANCE:CLKOUTD:CLKOUTD_TOLERANCE"};
        const Request r = parseRequest(lookupOf(given), dashed);
        // CLKIN's own warning comes once, from the set's CLKIN.
        Request outputs = r;
        outputs.warnings.erase(std::remove_if(outputs.warnings.begin(), outputs.warnings.end(),
                                              [](const std::string &line) {
                                                  return line.rfind("WARNING: --clkin ", 0) == 0;
                                              }),
                               outputs.warnings.end());
        for (const std::string &line : outputs.warnings)
            warnings->push_back(listed ? "WARNING: --profiles: profile " + std::to_string(index) + " \"" + item
                                                 + "\": " + line.substr(9)
                                       : line);
        ProfileWant want{r.clkout.expected, r.clkout.tolerancePercent, std::nullopt, r.clkoutd.tolerancePercent};
        if (r.clkoutdEnabled)
            want.clkoutd = r.clkoutd.expected;
        return want;
    } catch (const UsageError &e) {
        if (!listed)
            throw;
        throw UsageError{"--profiles: profile " + std::to_string(index) + " \"" + item + "\": " + e.text};
    }
}

} // namespace

ModeRequest parseMode(const OptionLookup &option)
{
    ModeRequest m;
    const auto isSet = [&option](const char *name) {
        return option(name).has_value();
    };
    const auto refuse = [&](const char *name, const char *mode) {
        if (isSet(name))
            throw UsageError{std::string("--") + name + " does not go with --" + mode};
    };
    m.kind = isSet(Field::bestClkin) ? Kind::BestClkin : isSet(Field::joint) ? Kind::Joint : Kind::Profiles;
    if (isSet(Field::bestClkin) && isSet(Field::joint))
        throw UsageError{"--best-clkin and --joint are two searches; ask for one"};
    for (const char *name : {Field::crystals, Field::clkinRange, Field::top})
        if (m.kind != Kind::BestClkin && isSet(name))
            throw UsageError{std::string("--") + name + " needs --best-clkin"};
    for (const char *name : {Field::clkoutd3, Field::clkoutd3Tolerance})
        if (m.kind != Kind::Joint && isSet(name))
            throw UsageError{std::string("--") + name + " needs --joint"};
    if (isSet(Field::clkoutd3Tolerance) && !isSet(Field::clkoutd3))
        throw UsageError{"--clkoutd3-tolerance needs --clkoutd3"};
    const char *mode = m.kind == Kind::BestClkin ? Field::bestClkin
                       : m.kind == Kind::Joint   ? Field::joint
                                                 : Field::profiles;
    for (const char *name : kDividerOptions)
        refuse(name, mode);

    if (m.kind == Kind::Joint) {
        refuse(Field::profiles, mode);
        if (!isSet("clkout"))
            throw UsageError{"--joint needs --clkout MHZ"};
        const Request r = parseRequest(option, dashed);
        m.device = r.device;
        m.joint.clkout = r.clkout;
        if (r.clkoutdEnabled)
            m.joint.clkoutd = Want{r.clkoutd.expected, r.clkoutd.tolerancePercent};
        if (isSet(Field::clkoutd3)) {
            Want d3{number(*option(Field::clkoutd3), "--clkoutd3"), 0.0};
            if (d3.mhz <= 0.0)
                throw UsageError{"--clkoutd3 needs a frequency above 0 MHz"};
            if (isSet(Field::clkoutd3Tolerance))
                d3.tolerancePercent = number(*option(Field::clkoutd3Tolerance), "--clkoutd3-tolerance");
            m.joint.clkoutd3 = d3;
        }
        return m;
    }

    m.device = isSet("device") ? findDevice(*option("device")) : &devices().front();
    if (!m.device)
        throw UsageError{"unknown device \"" + *option("device") + "\""};
    m.set.limits = m.device->pll;
    std::string clkin;
    if (m.kind == Kind::BestClkin) {
        refuse("clkin", mode);
        // Any clock the device takes validates the wanted outputs; each candidate replaces it.
        clkin = std::to_string(m.device->pll.clkinMax);
    } else {
        if (!isSet("clkin"))
            throw UsageError{"--clkin MHZ is required"};
        clkin = *option("clkin");
        m.set.clkin = clkinValue(clkin, m.device->id, "--clkin", &m.warnings);
    }
    if (isSet("alternatives")) // checked as the plain request checks it
        m.set.closest = parseRequest(lookupOf({{"clkin", clkin},
                                               {"bypass", ""},
                                               {"alternatives", *option("alternatives")}}),
                                     dashed)
                                .alternatives;

    if (isSet(Field::profiles)) {
        for (const char *name : {"clkout", "clkoutd"})
            refuse(name, Field::profiles);
        const std::vector<std::string> items = split(*option(Field::profiles), ',');
        if (items.size() > std::size_t(kMaxProfiles))
            throw UsageError{"--profiles takes at most " + std::to_string(kMaxProfiles) + " profiles"};
        for (std::size_t i = 0; i < items.size(); ++i)
            m.set.profiles.push_back(profileWant(option, items[i], i, clkin, &m.warnings));
    } else if (m.kind == Kind::BestClkin && isSet("clkout")) {
        std::string item = *option("clkout") + ':' + option("tolerance").value_or("");
        if (isSet("clkoutd"))
            item += ':' + *option("clkoutd") + ':' + option("clkoutd-tolerance").value_or("");
        m.set.profiles.push_back(profileWant(option, item, 0, clkin, &m.warnings, false));
    } else {
        throw UsageError{m.kind == Kind::BestClkin ? "--best-clkin needs --clkout MHZ or --profiles LIST"
                                                   : "--profiles needs a list of CLKOUT frequencies"};
    }

    if (m.kind == Kind::BestClkin) {
        if (isSet(Field::crystals) && isSet(Field::clkinRange))
            throw UsageError{"--crystals and --clkin-range exclude each other"};
        if (isSet(Field::top)) {
            m.top = parseRequest(lookupOf({{"clkin", clkin}, {"bypass", ""}, {"alternatives", *option(Field::top)}}),
                                 dashed)
                            .alternatives;
        }
        if (isSet(Field::crystals)) {
            for (const std::string &c : split(*option(Field::crystals), ','))
                m.clkins.push_back(clkinValue(c, m.device->id, "--crystals", &m.warnings));
        } else if (isSet(Field::clkinRange)) {
            const std::vector<std::string> ends = split(*option(Field::clkinRange), ':');
            if (ends.size() != 2)
                throw UsageError{"--clkin-range needs LOW:HIGH in MHz, not \"" + *option(Field::clkinRange) + "\""};
            const double low = clkinValue(ends[0], m.device->id, "--clkin-range", &m.warnings);
            const double high = clkinValue(ends[1], m.device->id, "--clkin-range", &m.warnings);
            if (low > high)
                throw UsageError{"--clkin-range needs LOW at or below HIGH"};
            m.clkins = exactClkins(m.set, low, high);
        } else {
            m.clkins = commonCrystals();
        }
    }
    return m;
}

} // namespace MirelCalc
