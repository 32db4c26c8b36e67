// SPDX-License-Identifier: MIT
#include "arguments.h"

#include "moderequest.h"
#include "modes.h"
#include "output.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace MirelCalc {

namespace {

struct OptionSpec
{
    const char *name;  // a request's name, or "strict" / "json" / "jsonl"
    const char *alias; // a further spelling, or null
    const char *unit;  // null for a flag
    std::string help;
};

const std::string kTolerances = "one of 0.0, 0.2, 0.5, 2.0";

// In the order --help lists them.
const OptionSpec kOptions[] = {
        {"device", nullptr, "NAME", "Device family or part id (default: the host's default device)."},
        {"clkin", nullptr, "MHZ", "Input clock."},
        {"clkout", nullptr, "MHZ", "Wanted CLKOUT (General Mode)."},
        {"tolerance", nullptr, "PCT", "CLKOUT tolerance, " + kTolerances + " (default 0.0)."},
        {"idiv", "clkin-divide", "N", "Input divider 1-64 (Advanced Mode)."},
        {"fbdiv", "clkfb-divide", "N", "Feedback divider 1-64 (Advanced Mode)."},
        {"odiv", nullptr, "N", "VCO divider, one of " + odivList() + " (Advanced Mode)."},
        {"bypass", nullptr, nullptr, "General Mode with CLKOUT bypassed: CLKOUT is CLKIN."},
        {"clkoutd", nullptr, "MHZ", "Wanted CLKOUTD; searches SDIV (General Mode)."},
        {"clkoutd-tolerance", nullptr, "PCT", "CLKOUTD tolerance, " + kTolerances + " (default 0.0)."},
        {"sdiv", nullptr, "N", "CLKOUTD divider, even 2-128 (Advanced Mode)."},
        {"alternatives", nullptr, "N",
         "How many nearest achievable CLKOUTs to list when the wanted one cannot be made (default 5)."},
        {"strict", nullptr, nullptr,
         "Refuse a request for any warning, such as an option the others leave without effect: its warnings become "
         "errors."},
        {"json", nullptr, nullptr, "Print one JSON object on one line (\"mirel.calc/1\")."},
        {"jsonl", nullptr, nullptr,
         "Read one JSON request per line from standard input (the options' or their keys' names, e.g. {\"clkin\": "
         "27, \"clkout\": 100, \"id\": 1}) and write one JSON answer per line; --device names the device of "
         "requests without one."},
};
constexpr int kOptionCount = int(std::size(kOptions));

// The request's option an entry stands for; Opt::Count for strict, json and jsonl.
Opt::Name requestOption(const OptionSpec &o)
{
    int n = 0;
    while (n < Opt::Count && std::strcmp(kOptionNames[n], o.name) != 0)
        ++n;
    return Opt::Name(n);
}

// The spellings of an entry without dashes: its name, the batch key in lower case with
// dashes where that differs, so a script author finds the option under either, and
// its alias.
std::vector<std::string> spellings(const OptionSpec &o)
{
    std::vector<std::string> all{o.name};
    const Opt::Name option = requestOption(o);
    if (const char *key = option < Opt::Count ? batchKey(option) : nullptr; key && dashedKey(key) != o.name)
        all.push_back(dashedKey(key));
    if (o.alias)
        all.emplace_back(o.alias);
    return all;
}

const OptionSpec *findOption(std::string_view name)
{
    for (const OptionSpec &o : kOptions) {
        for (const std::string &spelt : spellings(o)) {
            if (name == spelt)
                return &o;
        }
    }
    return nullptr;
}

bool modeOption(std::string_view name)
{
    const auto in = [name](const auto &names) {
        return std::find(std::begin(names), std::end(names), name) != std::end(names);
    };
    return in(kModeValues) || in(kModeFlags);
}

bool plainName(std::string_view name)
{
    return !name.empty() && std::isalnum(static_cast<unsigned char>(name[0]))
           && name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-")
                      == std::string_view::npos;
}

// CLI11 refuses a mistake by throwing, and in a static program the first exception
// costs more than a whole calculation. The usual mistakes (a value missing at the
// end, an option given twice, stray arguments and unknown options) are found here
// first and told in CLI11's words, in its order; whatever this does not settle is
// left to CLI11.
std::optional<std::string> commonMistake(int argc, char *argv[])
{
    int seen[kOptionCount] = {};
    std::string strays; // CLI11 lists them last first
    int strayCount = 0;
    const auto stray = [&](const char *arg) {
        strays.insert(0, std::string(arg) + (strayCount++ ? " " : ""));
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, 2) != "--") {
            if (arg.empty() || arg[0] == '-') // short options and "-": CLI11's
                return std::nullopt;
            stray(argv[i]);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.substr(2, equals == std::string_view::npos ? equals : equals - 2);
        if (!plainName(name) || name == "help" || name == "version")
            return std::nullopt;
        const OptionSpec *option = findOption(name);
        if (!option && modeOption(name)) // the searches of modes.h: CLI11's
            return std::nullopt;
        if (!option) {
            stray(argv[i]);
            continue;
        }
        if (!option->unit) {
            if (equals != std::string_view::npos)
                return std::nullopt;
            continue;
        }
        ++seen[option - kOptions];
        if (equals + 1 == arg.size())
            return std::nullopt;
        if (equals != std::string_view::npos)
            continue;
        if (i + 1 == argc)
            return std::string("--") + option->name + ": 1 required " + option->unit + " missing";
        if (argv[++i][0] == '-')
            return std::nullopt;
    }
    for (int o = 0; o < kOptionCount; ++o) {
        if (seen[o] > 1)
            return std::string("--") + kOptions[o].name + ": At Most 1 required but received "
                   + std::to_string(seen[o]);
    }
    if (strayCount > 0)
        return (strayCount == 1 ? "The following argument was not expected: "
                                : "The following arguments were not expected: ")
               + strays;
    return std::nullopt;
}

} // namespace

int readCommandLine(int argc, char *argv[], CommandLine &line)
{
    if (const std::optional<std::string> mistake = commonMistake(argc, argv)) {
        std::fprintf(stderr, "mirel-calc: %s (see --help)\n", mistake->c_str());
        return ExitUsage;
    }

    CLI::App app("Finds the dividers of the MIREL PLL for a wanted CLKOUT (General Mode), or checks given\n"
                 "dividers (Advanced Mode). Frequencies in MHz, tolerances in percent.",
                 "mirel-calc");
    app.set_version_flag("--version", "mirel-calc " MIREL_VERSION, "Print the program's name and version and exit.");
    app.footer("Exit status: 0 done, 1 refused (no dividers give what was asked), 2 usage error.");
    std::string texts[kOptionCount];
    const CLI::Option *options[kOptionCount];
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionSpec &o = kOptions[i];
        std::string names;
        for (const std::string &spelt : spellings(o))
            names += (names.empty() ? "--" : ",--") + spelt;
        options[i] = o.unit ? app.add_option(names, texts[i], o.help)->type_name(o.unit) : app.add_flag(names, o.help);
    }
    std::map<std::string, std::string> modeTexts;
    addModeOptions(app, modeTexts);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion &e) {
        return app.exit(e);
    } catch (const CLI::ParseError &e) {
        std::fprintf(stderr, "mirel-calc: %s (see --help)\n", e.what());
        return ExitUsage;
    }

    for (int i = 0; i < kOptionCount; ++i) {
        if (options[i]->count() == 0)
            continue;
        const std::string_view name = kOptions[i].name;
        if (name == "strict")
            line.strict = true;
        else if (name == "json")
            line.json = true;
        else if (name == "jsonl")
            line.jsonl = true;
        else
            line.given[requestOption(kOptions[i])] = texts[i];
    }
    const auto modes = [&](const auto &names) {
        for (const char *name : names) {
            if (app.get_option(std::string("--") + name)->count() > 0)
                line.modes[name] = modeTexts[name];
        }
    };
    modes(kModeValues);
    modes(kModeFlags);
    return -1;
}

} // namespace MirelCalc
