// SPDX-License-Identifier: MIT
// The answers of the profile, best input clock and joint searches: JSON, and text for a terminal.
#include "moderequest.h"

#include "modefields.h"

#include <cmath>
#include <cstdio>

namespace MirelCalc {

using nlohmann::json;

namespace {

double ppm(double f, double wanted)
{
    return (f - wanted) / wanted * 1e6;
}

std::string signedPpm(double v)
{
    char text[48];
    std::snprintf(text, sizeof text, "%+.1f", v);
    return text;
}

std::string mhzText(double f)
{
    return formatNumber(f, 'g', 9);
}

json orNull(const std::optional<double> &v)
{
    return v ? json(*v) : json(nullptr);
}

std::optional<double> positive(double v)
{
    return v > 0.0 ? std::optional<double>(v) : std::nullopt;
}

// An output as mirel.calc/1 has it; what a refused output would be, only where none was achieved.
json output(const char *name, const std::optional<double> &wanted, const std::optional<double> &achieved,
            const std::optional<double> &rejected)
{
    return {{Field::name, name},
            {Field::wantedMhz, orNull(wanted)},
            {Field::achievedMhz, orNull(achieved)},
            {Field::errorPpm, achieved && wanted ? json(ppm(*achieved, *wanted)) : json(nullptr)},
            {Field::rejectedMhz, achieved ? json(nullptr) : orNull(rejected)}};
}

// The fields of a document that every answer of its kind has, null or empty where nothing is known.
json skeleton(Kind kind, const Device *device)
{
    json j = {{Field::schema, kind == Kind::Profiles    ? Field::profilesSchema
                              : kind == Kind::BestClkin ? Field::bestClkinSchema
                                                        : Field::jointSchema},
              {Field::ok, false},
              {Field::error, nullptr},
              {Field::device, device ? json(device->device) : json(nullptr)},
              {Field::part, device ? json(device->id) : json(nullptr)},
              {Field::messages, json::array()}};
    switch (kind) {
    case Kind::Profiles:
        j[Field::clkinMhz] = nullptr;
        j[Field::sdiv] = nullptr;
        j[Field::profiles] = json::array();
        break;
    case Kind::BestClkin:
        j[Field::candidates] = json::array();
        break;
    case Kind::Joint:
        for (const char *name :
             {Field::pluginOk, Field::idiv, Field::fbdiv, Field::odiv, Field::sdiv, Field::pfdMhz, Field::vcoMhz})
            j[name] = nullptr;
        j[Field::outputs] = json::array();
        j[Field::changed] = json::array();
        break;
    }
    return j;
}

// ---- profiles ----

// The set's fields, and per profile its dividers, codes and outputs; CLKOUTD in every profile
// when one wants it, since the one SDIV divides each profile's CLKOUT.
json profilesJson(const ModeRequest &m, const ProfileSet &set)
{
    bool withClkoutd = false;
    for (const ProfileWant &want : m.set.profiles)
        withClkoutd = withClkoutd || want.clkoutd;
    json list = json::array();
    for (std::size_t i = 0; i < set.profiles.size(); ++i) {
        const Profile &p = set.profiles[i];
        const ProfileWant &want = m.set.profiles[i];
        const ClkoutResult &c = p.clkout;
        json alternatives = json::array();
        for (const Alternative &a : p.closest) {
            alternatives.push_back({{Field::clkoutMhz, a.frequency},
                                    {Field::errorPpm, ppm(a.frequency, want.clkout)},
                                    {Field::idiv, a.idiv},
                                    {Field::fbdiv, a.fbdiv},
                                    {Field::odiv, a.odiv}});
        }
        json outputs = json::array();
        outputs.push_back(output("CLKOUT", want.clkout, c.ok ? std::optional<double>(c.frequency) : std::nullopt,
                                 c.showsFrequency ? positive(c.shownFrequency) : std::nullopt));
        // Without the set's SDIV, a wanted CLKOUTD shows what this profile's CLKOUT gives it alone.
        if (withClkoutd)
            outputs.push_back(output("CLKOUTD", want.clkoutd, p.clkoutd,
                                     c.ok && want.clkoutd ? positive(p.ownClkoutd.shownFrequency) : std::nullopt));
        const auto ifOk = [&c](const json &v) {
            return c.ok ? v : json(nullptr);
        };
        json o = {{Field::profile, i},
                  {Field::ok, c.ok},
                  {Field::tolerancePct, want.tolerancePercent},
                  {Field::clkoutdTolerancePct, want.clkoutd ? json(want.clkoutdTolerancePercent) : json(nullptr)},
                  {Field::idiv, ifOk(c.idiv)},
                  {Field::fbdiv, ifOk(c.fbdiv)},
                  {Field::odiv, ifOk(c.odiv)},
                  {Field::idsel, ifOk(idselCode(c.idiv))},
                  {Field::fbdsel, ifOk(fbdselCode(c.fbdiv))},
                  {Field::odsel, ifOk(odselCode(c.odiv))},
                  {Field::pfdMhz, ifOk(c.ok ? m.set.clkin / c.idiv : 0.0)},
                  {Field::vcoMhz, ifOk(c.frequency * c.odiv)},
                  {Field::outputs, outputs},
                  {Field::alternatives, alternatives}};
        list.push_back(o);
    }
    json j = skeleton(Kind::Profiles, m.device);
    j[Field::ok] = set.ok;
    j[Field::clkinMhz] = m.set.clkin;
    j[Field::sdiv] = set.sdiv ? json(set.sdiv) : json(nullptr);
    j[Field::profiles] = list;
    j[Field::messages] = set.messages;
    return j;
}

void printProfiles(const ModeRequest &m, const ProfileSet &set)
{
    std::printf("%-9s%s (%s)\n%-9s%s MHz\n", "Device", m.device->device.c_str(), m.device->id.c_str(), "CLKIN",
                formatMHz(m.set.clkin).c_str());
    if (set.sdiv)
        std::printf("%-9s%d (shared by every profile)\n", "SDIV", set.sdiv);
    std::printf("%7s %10s %4s %5s %4s %5s %6s %5s %9s %9s %10s %9s", "profile", "wanted", "IDIV", "FBDIV", "ODIV",
                "idsel", "fbdsel", "odsel", "PFD", "VCO", "CLKOUT", "ppm");
    std::printf(set.sdiv ? " %10s %9s\n" : "\n", "CLKOUTD", "ppm");
    for (std::size_t i = 0; i < set.profiles.size(); ++i) {
        const Profile &p = set.profiles[i];
        const ProfileWant &want = m.set.profiles[i];
        const ClkoutResult &c = p.clkout;
        if (!c.ok) {
            std::printf("%7zu %10s  cannot be made%s\n", i, formatMHz(want.clkout).c_str(),
                        p.closest.empty() ? ""
                                          : (" (closest " + formatMHz(p.closest.front().frequency) + " MHz)").c_str());
            continue;
        }
        std::printf("%7zu %10s %4d %5d %4d %5d %6d %5d %9s %9s %10s %9s", i, formatMHz(want.clkout).c_str(), c.idiv,
                    c.fbdiv, c.odiv, idselCode(c.idiv), fbdselCode(c.fbdiv), odselCode(c.odiv),
                    formatMHz(m.set.clkin / c.idiv).c_str(), formatMHz(c.frequency * c.odiv).c_str(),
                    formatMHz(c.frequency).c_str(), signedPpm(ppm(c.frequency, want.clkout)).c_str());
        if (p.clkoutd)
            std::printf(" %10s %9s", formatMHz(*p.clkoutd).c_str(),
                        want.clkoutd ? signedPpm(ppm(*p.clkoutd, *want.clkoutd)).c_str() : "-");
        std::printf("\n");
    }
    if (!set.ok)
        return;
    // The module the codes belong to: Advanced Mode with profile 0's dividers, switched at run
    // time, with the reset and lock the switching block needs.
    const ClkoutResult &first = set.profiles.front().clkout;
    std::printf("%-9smirel-host create --device %s MODE_GENERAL=false CLKIN_FREQ=%s CLKIN_DIVIDE_STATIC_SEL=%d "
                "CLKFB_DIVIDE_STATIC_SEL=%d CLKOUT_DIVIDER=%d RESET_PLL=true LOCK_EN=true",
                "Module", m.device->device.c_str(), mhzText(m.set.clkin).c_str(), first.idiv, first.fbdiv, first.odiv);
    if (set.sdiv)
        std::printf(" CLKOUTD=true CLKOUTD_DIVIDE=%d", set.sdiv);
    std::printf("\n");
}

// ---- the best input clock ----

// The signed error of the output furthest from its wanted frequency.
double worstSigned(const ModeRequest &m, const ClkinCandidate &c)
{
    double worst = 0.0;
    const auto take = [&worst](double f, double wanted) {
        if (f > 0.0 && std::fabs(ppm(f, wanted)) > std::fabs(worst))
            worst = ppm(f, wanted);
    };
    for (std::size_t i = 0; i < c.set.profiles.size(); ++i) {
        const Profile &p = c.set.profiles[i];
        take(p.clkout.ok ? p.clkout.frequency : p.clkout.shownFrequency, m.set.profiles[i].clkout);
        if (p.clkoutd && m.set.profiles[i].clkoutd)
            take(*p.clkoutd, *m.set.profiles[i].clkoutd);
    }
    return worst;
}

json bestJson(const ModeRequest &m, const std::vector<ClkinCandidate> &ranked)
{
    json j = skeleton(Kind::BestClkin, m.device);
    bool any = false;
    for (const ClkinCandidate &c : ranked) {
        ModeRequest at = m;
        at.set.clkin = c.clkin;
        const json set = profilesJson(at, c.set);
        j[Field::candidates].push_back({{Field::clkinMhz, c.clkin},
                                        {Field::ok, set[Field::ok]},
                                        {Field::errorPpm, worstSigned(m, c)},
                                        {Field::sdiv, set[Field::sdiv]},
                                        {Field::profiles, set[Field::profiles]}});
        any = any || c.ok;
    }
    j[Field::ok] = any;
    return j;
}

void printBest(const ModeRequest &m, const std::vector<ClkinCandidate> &ranked)
{
    std::printf("%-9s%s (%s)\n", "Device", m.device->device.c_str(), m.device->id.c_str());
    std::printf("%12s %12s %-7s %s\n", "CLKIN MHz", "error ppm", "within", "IDIV/FBDIV/ODIV -> CLKOUT MHz per profile");
    for (const ClkinCandidate &c : ranked) {
        std::string outputs;
        for (const Profile &p : c.set.profiles) {
            outputs += outputs.empty() ? "" : ", ";
            const auto dividers = [](int idiv, int fbdiv, int odiv) {
                return std::to_string(idiv) + '/' + std::to_string(fbdiv) + '/' + std::to_string(odiv) + " -> ";
            };
            if (p.clkout.ok)
                outputs += dividers(p.clkout.idiv, p.clkout.fbdiv, p.clkout.odiv) + formatMHz(p.clkout.frequency);
            else if (!p.closest.empty())
                outputs += dividers(p.closest[0].idiv, p.closest[0].fbdiv, p.closest[0].odiv)
                           + formatMHz(p.closest[0].frequency);
            else
                outputs += "-";
        }
        if (c.set.sdiv)
            outputs += ", SDIV " + std::to_string(c.set.sdiv);
        std::printf("%12s %12s %-7s %s\n", mhzText(c.clkin).c_str(), signedPpm(worstSigned(m, c)).c_str(),
                    c.ok ? "yes" : "no", outputs.c_str());
    }
}

// ---- the joint search ----

json jointJson(const ModeRequest &m, const JointResult &r)
{
    const ClkoutInput &in = m.joint.clkout;
    json changed = json::array();
    const auto change = [&changed](const char *name, double plugin, double joint) {
        if (plugin != joint)
            changed.push_back({{Field::name, name},
                               {Field::pluginMhz, plugin},
                               {Field::jointMhz, joint},
                               {Field::changePpm, ppm(joint, plugin)}});
    };
    if (r.changed) {
        change("CLKOUT", r.plain.frequency, r.clkout);
        if (r.clkoutd)
            change("CLKOUTD", r.plainClkoutd.shownFrequency, *r.clkoutd);
        if (r.clkoutd3)
            change("CLKOUTD3", r.plain.frequency / 3.0, *r.clkoutd3);
    }
    std::vector<std::string> messages = r.plain.warningLines();
    if (r.plain.ok && !r.plainOk && !r.ok) {
        for (const std::string &line : r.plainClkoutd.warningLines())
            messages.push_back(line);
        messages.push_back("WARNING: No CLKOUT within its tolerance gives the divided outputs theirs.");
    }
    const bool found = r.ok;
    const auto ifOk = [found](const json &v) {
        return found ? v : json(nullptr);
    };
    // Refused, each output is what the plug-in's order gives it.
    const auto achieved = [found](const std::optional<double> &f) {
        return found ? f : std::nullopt;
    };
    const auto wanted = [](const std::optional<Want> &w) {
        return w ? std::optional<double>(w->mhz) : std::nullopt;
    };
    json outputs = json::array();
    outputs.push_back(output("CLKOUT", in.expected, achieved(r.clkout),
                             r.plain.showsFrequency ? positive(r.plain.shownFrequency) : std::nullopt));
    if (m.joint.clkoutd)
        outputs.push_back(output("CLKOUTD", wanted(m.joint.clkoutd), achieved(r.clkoutd),
                                 r.plain.ok ? positive(r.plainClkoutd.shownFrequency) : std::nullopt));
    if (m.joint.clkoutd3)
        outputs.push_back(output("CLKOUTD3", wanted(m.joint.clkoutd3), achieved(r.clkoutd3),
                                 r.plain.ok ? positive(r.plain.frequency / 3.0) : std::nullopt));
    json j = skeleton(Kind::Joint, m.device);
    j[Field::ok] = r.ok;
    j[Field::pluginOk] = r.plainOk;
    j[Field::idiv] = ifOk(r.idiv);
    j[Field::fbdiv] = ifOk(r.fbdiv);
    j[Field::odiv] = ifOk(r.odiv);
    j[Field::sdiv] = r.ok && r.clkoutd ? json(r.sdiv) : json(nullptr);
    j[Field::pfdMhz] = ifOk(r.ok ? in.clkin / r.idiv : 0.0);
    j[Field::vcoMhz] = ifOk(r.clkout * r.odiv);
    j[Field::outputs] = outputs;
    j[Field::changed] = changed;
    j[Field::messages] = r.ok ? std::vector<std::string>() : messages;
    return j;
}

void printJoint(const ModeRequest &m, const JointResult &r, const json &j)
{
    std::printf("%-9s%s (%s)\n", "Device", m.device->device.c_str(), m.device->id.c_str());
    if (!r.ok)
        return;
    const auto line = [](const char *key, const std::string &value) {
        std::printf("%-9s%s\n", key, value.c_str());
    };
    line("IDIV", std::to_string(r.idiv));
    line("FBDIV", std::to_string(r.fbdiv));
    line("ODIV", std::to_string(r.odiv));
    line("SDIV", r.clkoutd ? std::to_string(r.sdiv) : "-");
    line("PFD", formatMHz(m.joint.clkout.clkin / r.idiv) + " MHz");
    line("VCO", formatMHz(r.clkout * r.odiv) + " MHz");
    const auto output = [&](const char *name, const std::optional<double> &f, const std::optional<Want> &w) {
        if (f)
            line(name, formatMHz(*f) + " MHz" + (w ? "  (" + signedPpm(ppm(*f, w->mhz)) + " ppm)" : ""));
    };
    output("CLKOUT", r.clkout, Want{m.joint.clkout.expected, 0.0});
    output("CLKOUTD", r.clkoutd, m.joint.clkoutd);
    output("CLKOUTD3", r.clkoutd3, m.joint.clkoutd3);
    if (!r.changed) {
        line("Changed", "nothing: the plug-in's order (CLKOUT first, then SDIV) gives every output its tolerance");
        return;
    }
    std::printf("Changed  from the plug-in's order (CLKOUT first, then SDIV), which refuses:\n");
    for (const json &c : j[Field::changed]) {
        std::printf("  %-9s%10s -> %10s MHz  (%s ppm)\n", c[Field::name].get<std::string>().c_str(),
                    formatMHz(c[Field::pluginMhz]).c_str(), formatMHz(c[Field::jointMhz]).c_str(),
                    signedPpm(c[Field::changePpm]).c_str());
    }
}

} // namespace

json refusal(Kind kind, const std::string &error)
{
    json j = skeleton(kind, nullptr);
    j[Field::error] = error;
    return j;
}

namespace {

json answerKind(const ModeRequest &m, bool plain)
{
    switch (m.kind) {
    case Kind::Profiles: {
        const ProfileSet set = searchProfiles(m.set);
        if (plain)
            printProfiles(m, set);
        return profilesJson(m, set);
    }
    case Kind::BestClkin: {
        const std::vector<ClkinCandidate> ranked = rankClkins(m.set, m.clkins, m.top);
        if (plain)
            printBest(m, ranked);
        json j = bestJson(m, ranked);
        j[Field::messages] = json::array();
        if (!j[Field::ok].get<bool>())
            j[Field::messages].push_back(ranked.empty()
                                                 ? "WARNING: No input clock to rank: none of them is in the device's "
                                                   "CLKIN range."
                                                 : "WARNING: No input clock listed gives every output its tolerance.");
        return j;
    }
    case Kind::Joint:
        break;
    }
    const JointResult r = searchJoint(m.joint);
    json j = jointJson(m, r);
    if (plain)
        printJoint(m, r, j);
    return j;
}

} // namespace

json answer(const ModeRequest &m, bool plain)
{
    json j = answerKind(m, plain);
    json messages = m.warnings;
    for (const json &line : j[Field::messages])
        messages.push_back(line);
    j[Field::messages] = messages;
    return j;
}

} // namespace MirelCalc
