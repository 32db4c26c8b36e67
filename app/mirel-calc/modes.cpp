// SPDX-License-Identifier: MIT
#include "modes.h"

#include "modefields.h"
#include "moderequest.h"

#include <algorithm>
#include <cstdio>

namespace MirelCalc {

using nlohmann::json;

namespace {

// One line, valid UTF-8 whatever bytes a user typed.
std::string dump(const json &j)
{
    return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace

void addModeOptions(CLI::App &app, std::map<std::string, std::string> &values)
{
    const auto option = [&app, &values](const char *name, const char *unit, const char *help) {
        app.add_option(std::string("--") + name, values[name], help)->type_name(unit);
    };
    option(Field::profiles, "LIST",
           "Profiles switched at run time from one CLKIN, comma-separated, each "
           "CLKOUT[:TOLERANCE[:CLKOUTD[:CLKOUTD_TOLERANCE]]] (empty fields take --tolerance and "
           "--clkoutd-tolerance); prints each profile's dividers and dynamic select codes.");
    app.add_flag(std::string("--") + Field::bestClkin,
                 "Rank input clocks for --clkout (or --profiles) by the error they give, best first.");
    option(Field::crystals, "LIST", "With --best-clkin: the input clocks to rank, in MHz (default: common crystals).");
    option(Field::clkinRange, "LOW:HIGH",
           "With --best-clkin: rank the input clocks in this range that make a wanted CLKOUT exactly.");
    option(Field::top, "N", "With --best-clkin: how many input clocks to list (default 10).");
    app.add_flag(std::string("--") + Field::joint,
                 "Search CLKOUT within its tolerance for a value that also gives CLKOUTD (and CLKOUTD3) theirs, "
                 "where the plug-in's order (CLKOUT first, then SDIV) refuses.");
    option(Field::clkoutd3, "MHZ", "With --joint: wanted CLKOUTD3 (CLKOUT / 3).");
    option(Field::clkoutd3Tolerance, "PCT", "With --joint: CLKOUTD3 tolerance (default 0.0).");
}

std::optional<int> runMode(const OptionLookup &option, bool asJson, bool stream)
{
    bool any = false;
    for (const char *name : kModeValues)
        any = any || option(name);
    for (const char *name : kModeFlags)
        any = any || option(name);
    if (!any)
        return std::nullopt;
    const Kind kind = option(Field::bestClkin) ? Kind::BestClkin : option(Field::joint) ? Kind::Joint : Kind::Profiles;
    ModeRequest m;
    try {
        if (stream)
            throw UsageError{"--jsonl takes its requests from standard input"};
        m = parseMode(option);
    } catch (const UsageError &e) {
        std::fprintf(stderr, "mirel-calc: %s (see --help)\n", e.text.c_str());
        if (asJson && !stream)
            std::printf("%s\n", dump(refusal(kind, e.text)).c_str());
        return 2;
    }
    const json j = answer(m, !asJson);
    if (asJson)
        std::printf("%s\n", dump(j).c_str());
    std::fflush(stdout);
    for (const json &line : j[Field::messages])
        std::fprintf(stderr, "%s\n", line.get<std::string>().c_str());
    return j[Field::ok].get<bool>() ? 0 : 1;
}

std::optional<json> answerMode(const json &request, const std::string &defaultDevice)
{
    if (!request.contains(Field::profiles) && !request.contains(Field::bestClkin) && !request.contains(Field::joint))
        return std::nullopt;
    const auto asked = [&request](const char *flag) {
        const auto it = request.find(flag);
        return it != request.end() && !it->is_null() && *it != false;
    };
    const Kind kind = asked(Field::bestClkin) ? Kind::BestClkin : asked(Field::joint) ? Kind::Joint : Kind::Profiles;
    std::map<std::string, std::string> given;
    try {
        if (!defaultDevice.empty())
            given["device"] = defaultDevice;
        for (const auto &item : request.items()) {
            const std::string &key = item.key();
            const json &value = item.value();
            if (key == "id")
                continue;
            const auto in = [&key](const auto &names) {
                return std::find(std::begin(names), std::end(names), key) != std::end(names);
            };
            const bool flag = in(kModeFlags) || key == kOptionNames[Opt::Bypass];
            if (!flag && !in(kModeValues) && !in(kOptionNames))
                throw UsageError{"unknown name \"" + key + "\""};
            if (value.is_null() || (flag && value == false))
                continue;
            if (flag && value != true)
                throw UsageError{"\"" + key + "\" is true or false"};
            if (key == Field::profiles && value.is_array()) {
                // [74.25, {"clkout": 148.5, "tolerance": 0.5, "clkoutd": 37.125}] as the option's list.
                std::string list;
                for (const json &p : value) {
                    const auto text = [](const json &v) {
                        return v.is_string() ? v.get<std::string>() : v.dump();
                    };
                    std::string item = p.is_object() ? "" : text(p);
                    const char *const fields[] = {Field::clkout, Field::tolerance, Field::clkoutd,
                                                  Field::clkoutdTolerance};
                    for (const auto &field : p.items()) {
                        if (p.is_object()
                            && std::find(std::begin(fields), std::end(fields), field.key()) == std::end(fields))
                            throw UsageError{"unknown name \"" + field.key() + "\" in a profile"};
                    }
                    for (int f = 0; f < 4 && p.is_object(); ++f)
                        item += (f ? ":" : "") + (p.contains(fields[f]) ? text(p[fields[f]]) : std::string());
                    list += (list.empty() ? "" : ",") + item;
                }
                given[key] = list;
            } else if (!value.is_number() && !value.is_string() && !flag) {
                throw UsageError{"\"" + key + "\" needs a number or a text"};
            } else {
                given[key] = value.is_string() ? value.get<std::string>() : value.dump();
            }
        }
        return answer(parseMode(lookupOf(given)), false);
    } catch (const UsageError &e) {
        return refusal(kind, e.text);
    }
}

} // namespace MirelCalc
