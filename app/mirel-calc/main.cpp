// SPDX-License-Identifier: MIT
// mirel-calc: the dividers of the MIREL PLL for wanted frequencies, without the dialog.

#include "modes.h"
#include "request.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace MirelCalc;
using nlohmann::json;

namespace {

enum ExitCode { ExitOk = 0, ExitSearchFailed = 1, ExitUsage = 2 };

// A longer line is no request: its remainder is skipped and it is answered as bad.
constexpr std::size_t kMaxLineBytes = 64 * 1024;

// Why a write to standard output first failed, for the one line that reports it.
int outputError = 0;

bool flushOutput()
{
    if (std::fflush(stdout) == 0)
        return true;
    if (outputError == 0)
        outputError = errno;
    return false;
}

template<typename T>
json orNull(const std::optional<T> &v)
{
    return v ? json(*v) : json(nullptr);
}

std::optional<double> ppm(double actual, double asked)
{
    return asked > 0.0 ? std::optional<double>((actual - asked) / asked * 1e6) : std::nullopt;
}

std::optional<double> positive(double v)
{
    return v > 0.0 ? std::optional<double>(v) : std::nullopt;
}

// An answer, "mirel.calc/1" (schemas/calc.schema.json): the field names are spelt here.
// Objects are filled key by key, which allocates less than nested initialiser lists.
json output(const char *name, const std::optional<double> &wanted, const std::optional<double> &achieved,
            const std::optional<double> &errorPpm, const std::optional<double> &shown)
{
    json::object_t o;
    o.emplace("name", name);
    o.emplace("wanted_mhz", orNull(wanted));
    o.emplace("achieved_mhz", orNull(achieved));
    o.emplace("error_ppm", orNull(errorPpm));
    o.emplace("rejected_mhz", achieved ? json(nullptr) : orNull(shown));
    return json(std::move(o));
}

json toJson(const Request *req, const Outcome &out, const std::string &error = {})
{
    json outputs = json::array(), alternatives = json::array(), ignored = json::array();
    if (req) {
        outputs.push_back(output("CLKOUT", positive(req->clkoutAsked), out.clkout, out.clkoutPpm, out.clkoutShown));
        if (req->clkoutdEnabled)
            outputs.push_back(
                    output("CLKOUTD", positive(req->clkoutdAsked), out.clkoutd, out.clkoutdPpm, out.clkoutdShown));
        for (const Alternative &a : out.alternatives) {
            json::object_t o;
            o.emplace("clkout_mhz", a.frequency);
            o.emplace("error_ppm", orNull(ppm(a.frequency, req->clkoutAsked)));
            o.emplace("idiv", a.idiv);
            o.emplace("fbdiv", a.fbdiv);
            o.emplace("odiv", a.odiv);
            alternatives.push_back(json(std::move(o)));
        }
        for (const Ignored &i : req->ignored) {
            json::object_t o;
            o.emplace("key", i.key);
            o.emplace("by_key", i.byKey);
            o.emplace("by_value", i.byValue);
            ignored.push_back(json(std::move(o)));
        }
    }
    json::object_t answer;
    answer.emplace("schema", "mirel.calc/1");
    answer.emplace("ok", out.ok);
    answer.emplace("error", error.empty() ? json(nullptr) : json(error));
    answer.emplace("device", req ? json(req->device->device) : json(nullptr));
    answer.emplace("part", req ? json(req->device->id) : json(nullptr));
    answer.emplace("idiv", orNull(out.idiv));
    answer.emplace("fbdiv", orNull(out.fbdiv));
    answer.emplace("odiv", orNull(out.odiv));
    answer.emplace("sdiv", orNull(out.sdiv));
    answer.emplace("pfd_mhz", orNull(out.pfd));
    answer.emplace("vco_mhz", orNull(out.vco));
    answer.emplace("outputs", std::move(outputs));
    answer.emplace("alternatives", std::move(alternatives));
    answer.emplace("ignored", std::move(ignored));
    answer.emplace("messages", out.messages);
    return json(std::move(answer));
}

// Whatever bytes a user typed, the output stays valid UTF-8 JSON.
std::string dump(const json &j, int indent)
{
    return j.dump(indent, ' ', false, json::error_handler_t::replace);
}

std::string mhz(const std::optional<double> &f)
{
    return f ? formatMHz(*f) + " MHz" : "-";
}

std::string signedPpm(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s%.1f ppm", v >= 0.0 ? "+" : "", v);
    return text;
}

void printPlain(const Request &req, const Outcome &out)
{
    const auto line = [](const char *key, const std::string &value) {
        std::printf("%-9s%s\n", key, value.c_str());
    };
    const auto number = [](const std::optional<int> &v) {
        return v ? std::to_string(*v) : std::string("-");
    };
    const auto withPpm = [](const std::optional<double> &f, const std::optional<double> &ppm) {
        return mhz(f) + (ppm ? "  (" + signedPpm(*ppm) + ")" : std::string());
    };

    line("Device", req.device->device + " (" + req.device->id + ")");
    if (out.clkout) {
        line("IDIV", number(out.idiv));
        line("FBDIV", number(out.fbdiv));
        line("ODIV", number(out.odiv));
        line("SDIV", number(out.sdiv));
        line("PFD", mhz(out.pfd));
        line("VCO", mhz(out.vco));
        line("CLKOUT", withPpm(out.clkout, out.clkoutPpm));
        if (req.clkoutdEnabled)
            line("CLKOUTD", withPpm(out.clkoutd, out.clkoutdPpm));
    }
    flushOutput();
    for (const std::string &m : out.messages)
        std::fprintf(stderr, "%s\n", m.c_str());
    if (!out.clkout && out.clkoutShown)
        line("CLKOUT",
             formatMHz(*out.clkoutShown) + (req.clkout.generalMode ? " MHz (closest, rejected)" : " MHz (rejected)"));
    if (out.clkout && !out.clkoutd && out.clkoutdShown)
        line("CLKOUTD", formatMHz(*out.clkoutdShown) + " MHz (closest, rejected)");
    if (!out.alternatives.empty()) {
        std::printf("Nearest achievable CLKOUT frequencies:\n");
        for (const Alternative &a : out.alternatives) {
            std::printf("  %8s MHz  IDIV %2d  FBDIV %2d  ODIV %3d  (%s)\n", formatMHz(a.frequency).c_str(), a.idiv,
                        a.fbdiv, a.odiv, signedPpm(*ppm(a.frequency, req.clkoutAsked)).c_str());
        }
    }
}

void reportDiagnostic(const Outcome &out)
{
    if (out.vcoDiagnostic)
        std::fprintf(stderr, "WARNING: %s\n", vcoDiagnosticText());
}

// The request as asked, or under --strict its warnings as errors and nothing searched.
Outcome answer(const Request &req, bool strict)
{
    if (!strict || req.warnings.empty())
        return run(req);
    Outcome refused;
    for (const std::string &line : req.warnings)
        refused.messages.push_back("ERROR" + line.substr(std::strlen("WARNING")));
    return refused;
}

// A batch key in lower case with dashes: "clkin-freq" for "CLKIN_FREQ".
std::string dashed(const char *key)
{
    std::string spelt = key;
    for (char &c : spelt)
        c = c == '_' ? '-' : char(std::tolower(static_cast<unsigned char>(c)));
    return spelt;
}

// The options a stream's request may name, value options first, by place.
constexpr std::size_t kOptionCount = std::size(kValueOptions) + std::size(kFlagOptions);

const char *optionName(std::size_t place)
{
    return place < std::size(kValueOptions) ? kValueOptions[place] : kFlagOptions[place - std::size(kValueOptions)];
}

// The place of the option a request names: by its name, its batch key, or that key in
// lower case with dashes ("clkin", "CLKIN_FREQ", "clkin-freq"); kOptionCount for none.
std::size_t optionNamed(const std::string &spelling)
{
    static const std::vector<std::pair<std::string, std::size_t>> spellings = [] {
        std::vector<std::pair<std::string, std::size_t>> all;
        for (std::size_t place = 0; place < kOptionCount; ++place) {
            all.emplace_back(optionName(place), place);
            if (const char *key = batchKey(optionName(place))) {
                all.emplace_back(key, place);
                all.emplace_back(dashed(key), place);
            }
        }
        return all;
    }();
    for (const auto &[spelt, place] : spellings) {
        if (spelt == spelling)
            return place;
    }
    return kOptionCount;
}

// One request of a stream: a JSON object whose names are the options' (or their
// keys'), with an optional "id" echoed in the answer; the device defaults to --device.
json answerLine(const std::string &line, const std::string &defaultDevice, bool strict)
{
    if (line.find_first_not_of(" \t\r") == std::string::npos)
        return toJson(nullptr, Outcome(), "empty line");
    std::map<std::string, std::string> given;                // by option name
    std::array<const std::string *, kOptionCount> spelled{}; // the request's name of each option given
    const auto place = [](const char *name) {
        std::size_t at = 0;
        while (at < kOptionCount && std::strcmp(optionName(at), name) != 0)
            ++at;
        return at;
    };
    json result;
    json id;
    bool hasId = false;
    try {
        const json request = json::parse(line);
        if (!request.is_object())
            throw UsageError{"a request is a JSON object"};
        if (const auto it = request.find("id"); it != request.end()) {
            id = *it;
            hasId = true;
        }
        if (std::optional<json> answer = answerMode(request, defaultDevice)) {
            if (hasId)
                (*answer)["id"] = id;
            return *answer;
        }
        for (const auto &[key, value] : request.items()) {
            if (key == "id")
                continue;
            const std::size_t at = optionNamed(key);
            if (at == kOptionCount)
                throw UsageError{"unknown name \"" + key + "\""};
            if (spelled[at])
                throw UsageError{"\"" + *spelled[at] + "\" and \"" + key + "\" name the same option"};
            spelled[at] = &key;
            const char *name = optionName(at);
            const bool flag = at >= std::size(kValueOptions);
            if (value.is_null() || (flag && value == false))
                continue;
            if (flag && value != true)
                throw UsageError{"\"" + key + "\" is true or false"};
            if (!flag && !value.is_number() && !value.is_string())
                throw UsageError{"\"" + key + "\" needs a number or a text"};
            given[name] = value.is_string() ? value.get<std::string>() : dump(value, -1);
        }
        if (!defaultDevice.empty())
            given.emplace("device", defaultDevice);
        const Request req = parseRequest(
                [&given](const char *name) -> std::optional<std::string> {
                    const auto it = given.find(name);
                    return it == given.end() ? std::nullopt : std::optional<std::string>(it->second);
                },
                [&](const char *name) {
                    const std::size_t at = place(name);
                    return at < kOptionCount && spelled[at] ? *spelled[at] : std::string(name);
                });
        const Outcome out = answer(req, strict);
        reportDiagnostic(out);
        result = toJson(&req, out);
    } catch (const json::exception &e) {
        result = toJson(nullptr, Outcome(), std::string("not a JSON object: ") + e.what());
    } catch (const UsageError &e) {
        result = toJson(nullptr, Outcome(), e.text);
    }
    if (hasId)
        result["id"] = id;
    return result;
}

// Standard input by lines, read in large blocks. Before it waits for more input it
// flushes standard output, so a script that writes one request and waits gets its
// answer, while a file of requests is answered without one write per line.
class LineReader
{
public:
    // A line without its end; false at the end of input. An overlong line is cut to
    // kMaxLineBytes + 1 bytes, which marks it.
    bool next(std::string &line)
    {
        line.clear();
        for (;;) {
            if (pos == size && !refill())
                return !line.empty();
            const char *begin = buffer + pos;
            const char *end = static_cast<const char *>(std::memchr(begin, '\n', size - pos));
            const std::size_t take = std::size_t((end ? end : buffer + size) - begin);
            if (line.size() <= kMaxLineBytes)
                line.append(begin, std::min(take, kMaxLineBytes + 1 - line.size()));
            pos += take + (end ? 1 : 0);
            if (end)
                return true;
        }
    }

private:
    bool refill()
    {
        flushOutput();
        ssize_t n;
        do {
            n = ::read(0, buffer, sizeof buffer);
        } while (n < 0 && errno == EINTR);
        pos = 0;
        size = n > 0 ? std::size_t(n) : 0;
        return size > 0;
    }

    char buffer[1 << 16];
    std::size_t pos = 0, size = 0;
};

int stream(const std::string &defaultDevice, bool strict)
{
    LineReader reader;
    std::string line;
    while (reader.next(line)) {
        // Every line is answered, a blank one too, so that answers pair with lines.
        const json result = line.size() > kMaxLineBytes
                                    ? toJson(nullptr, Outcome(),
                                             "line longer than " + std::to_string(kMaxLineBytes) + " bytes")
                                    : answerLine(line, defaultDevice, strict);
        const std::string text = dump(result, -1) + '\n';
        // Answers nobody receives are not worth computing: stop at the first lost one.
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::ferror(stdout)) {
            if (outputError == 0)
                outputError = errno;
            return ExitSearchFailed;
        }
    }
    return ExitOk;
}

// Results reach standard output through stdio or, for help, iostream; this is where it
// shows whether they arrived. A lost result is a failure, as for cat or printf.
int finishOutput(int status)
{
    std::cout.flush();
    if (flushOutput() && !std::ferror(stdout) && !std::cout.fail())
        return status;
    std::fprintf(stderr, "ERROR: cannot write the results to standard output%s%s\n", outputError ? ": " : "",
                 outputError ? std::strerror(outputError) : "");
    return ExitSearchFailed;
}

int calculate(int argc, char *argv[]);

} // namespace

int main(int argc, char *argv[])
{
    return finishOutput(calculate(argc, argv));
}

namespace {

int calculate(int argc, char *argv[])
{
    CLI::App app("Finds the dividers of the MIREL PLL for a wanted CLKOUT (General Mode), or checks given\n"
                 "dividers (Advanced Mode). Frequencies in MHz, tolerances in percent.",
                 "mirel-calc");
    app.set_version_flag("--version", "mirel-calc " MIREL_VERSION, "Print the program's name and version and exit.");
    app.footer("Exit status: 0 done, 1 refused (no dividers give what was asked), 2 usage error.");
    std::map<std::string, std::string> values;
    // The other name spells the batch key, so a script author finds the option under either.
    const auto keyName = [](const char *name) {
        const char *key = batchKey(name);
        return std::string("--") + name + (key && dashed(key) != name ? ",--" + dashed(key) : std::string());
    };
    const auto option = [&](const char *name, const char *unit, const std::string &help, const char *alias = nullptr) {
        return app.add_option(keyName(name) + (alias ? std::string(",--") + alias : std::string()), values[name], help)
                ->type_name(unit);
    };
    const std::string tolerances = "one of 0.0, 0.2, 0.5, 2.0";
    option("device", "NAME", "Device family or part id (default: the host's default device).");
    option("clkin", "MHZ", "Input clock.");
    option("clkout", "MHZ", "Wanted CLKOUT (General Mode).");
    option("tolerance", "PCT", "CLKOUT tolerance, " + tolerances + " (default 0.0).");
    option("idiv", "N", "Input divider 1-64 (Advanced Mode).", "clkin-divide");
    option("fbdiv", "N", "Feedback divider 1-64 (Advanced Mode).", "clkfb-divide");
    option("odiv", "N", "VCO divider, one of " + odivList() + " (Advanced Mode).");
    const CLI::Option *bypass = app.add_flag(keyName("bypass"), "General Mode with CLKOUT bypassed: CLKOUT is CLKIN.");
    option("clkoutd", "MHZ", "Wanted CLKOUTD; searches SDIV (General Mode).");
    option("clkoutd-tolerance", "PCT", "CLKOUTD tolerance, " + tolerances + " (default 0.0).");
    option("sdiv", "N", "CLKOUTD divider, even 2-128 (Advanced Mode).");
    option("alternatives", "N",
           "How many nearest achievable CLKOUTs to list when the wanted one cannot be made (default 5).");
    const CLI::Option *strict = app.add_flag("--strict", "Refuse a request for any warning, such as an option the "
                                                         "others leave without effect: its warnings become errors.");
    const CLI::Option *asJson = app.add_flag("--json", "Print one JSON object on one line (\"mirel.calc/1\").");
    const CLI::Option *asStream
            = app.add_flag("--jsonl",
                           "Read one JSON request per line from standard input (the options' or their keys' names, "
                           "e.g. {\"clkin\": 27, \"clkout\": 100, \"id\": 1}) and write one JSON answer per line; "
                           "--device names the device of requests without one.");
    addModeOptions(app, values);

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

    const auto given = [&app](const char *name) {
        return app.get_option(std::string("--") + name)->count() > 0;
    };
    const OptionLookup lookup = [&](const char *name) -> std::optional<std::string> {
        if (!given(name))
            return std::nullopt;
        return values.count(name) ? values[name] : std::string();
    };
    if (auto status = runMode(lookup, asJson->count() > 0, asStream->count() > 0))
        return *status;
    if (asStream->count() > 0) {
        static char output[1 << 16];
        std::setvbuf(stdout, output, _IOFBF, sizeof output);
        for (const char *name : kValueOptions) {
            if (given(name) && std::strcmp(name, "device") != 0) {
                std::fprintf(stderr,
                             "mirel-calc: --jsonl takes its requests from standard input, not --%s (see --help)\n",
                             name);
                return ExitUsage;
            }
        }
        if (bypass->count() > 0 || asJson->count() > 0) {
            std::fprintf(stderr, "mirel-calc: --jsonl takes its requests from standard input (see --help)\n");
            return ExitUsage;
        }
        return stream(given("device") ? values["device"] : std::string(), strict->count() > 0);
    }

    const auto printJson = [](const json &result) {
        if (std::printf("%s\n", dump(result, -1).c_str()) < 0 && outputError == 0)
            outputError = errno;
    };
    Request req;
    try {
        req = parseRequest(
                [&](const char *name) -> std::optional<std::string> {
                    if (!given(name))
                        return std::nullopt;
                    const auto it = values.find(name);
                    return it == values.end() ? std::string() : it->second;
                },
                [](const char *name) { return std::string("--") + name; });
    } catch (const UsageError &e) {
        std::fprintf(stderr, "mirel-calc: %s (see --help)\n", e.text.c_str());
        if (asJson->count() > 0)
            printJson(toJson(nullptr, Outcome(), e.text));
        return ExitUsage;
    }

    const Outcome out = answer(req, strict->count() > 0);
    reportDiagnostic(out);
    if (asJson->count() == 0)
        printPlain(req, out);
    else
        printJson(toJson(&req, out));
    return out.ok ? ExitOk : ExitSearchFailed;
}

} // namespace
