// SPDX-License-Identifier: MIT
// mirel-calc: the dividers of the MIREL PLL for wanted frequencies, without the dialog.

#include "modes.h"
#include "request.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <string>

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

json toJson(const Request *req, const Outcome &out)
{
    json alternatives = json::array();
    for (const Alternative &a : out.alternatives)
        alternatives.push_back({{"clkout", a.frequency}, {"idiv", a.idiv}, {"fbdiv", a.fbdiv}, {"odiv", a.odiv}});
    return {{"ok", out.ok},
            {"device", req ? json(req->device->id) : json(nullptr)},
            {"idiv", orNull(out.idiv)},
            {"fbdiv", orNull(out.fbdiv)},
            {"odiv", orNull(out.odiv)},
            {"sdiv", orNull(out.sdiv)},
            {"clkout", orNull(out.clkout)},
            {"clkoutd", orNull(out.clkoutd)},
            {"pfd", orNull(out.pfd)},
            {"vco", orNull(out.vco)},
            {"clkout_ppm", orNull(out.clkoutPpm)},
            {"clkoutd_ppm", orNull(out.clkoutdPpm)},
            {"clkout_shown", orNull(out.clkoutShown)},
            {"clkoutd_shown", orNull(out.clkoutdShown)},
            {"messages", out.messages},
            {"alternatives", alternatives}};
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
                        a.fbdiv, a.odiv,
                        signedPpm((a.frequency - req.clkout.expected) / req.clkout.expected * 1e6).c_str());
        }
    }
}

void reportDiagnostic(const Outcome &out)
{
    if (out.vcoDiagnostic)
        std::fprintf(stderr, "%s\n", vcoDiagnosticText());
}

// One request of a stream: a JSON object whose names are the options'.
json answerLine(const std::string &line)
{
    std::map<std::string, std::string> given;
    try {
        const json request = json::parse(line);
        if (!request.is_object())
            throw UsageError{"a request is a JSON object"};
        if (std::optional<json> answer = answerMode(request))
            return *answer;
        for (const auto &[key, value] : request.items()) {
            const bool flag = key == kFlagOptions[0];
            const bool known = flag
                               || std::find(std::begin(kValueOptions), std::end(kValueOptions), key)
                                          != std::end(kValueOptions);
            if (!known)
                throw UsageError{"unknown name \"" + key + "\""};
            if (value.is_null() || (flag && value == false))
                continue;
            if (flag && value != true)
                throw UsageError{"\"" + key + "\" is true or false"};
            if (!flag && !value.is_number() && !value.is_string())
                throw UsageError{"\"" + key + "\" needs a number or a text"};
            given[key] = value.is_string() ? value.get<std::string>() : dump(value, -1);
        }
        const Request req = parseRequest([&given](const char *name) -> std::optional<std::string> {
            const auto it = given.find(name);
            return it == given.end() ? std::nullopt : std::optional<std::string>(it->second);
        });
        const Outcome out = run(req);
        reportDiagnostic(out);
        json result = toJson(&req, out);
        result["error"] = nullptr;
        return result;
    } catch (const json::exception &e) {
        json result = toJson(nullptr, Outcome());
        result["error"] = std::string("not a JSON object: ") + e.what();
        return result;
    } catch (const UsageError &e) {
        json result = toJson(nullptr, Outcome());
        result["error"] = e.text;
        return result;
    }
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

int stream()
{
    LineReader reader;
    std::string line;
    while (reader.next(line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        json result;
        if (line.size() > kMaxLineBytes) {
            result = toJson(nullptr, Outcome());
            result["error"] = "line longer than " + std::to_string(kMaxLineBytes) + " bytes";
        } else {
            result = answerLine(line);
        }
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
    // The second name spells the batch key, so a script author finds the option under either.
    const auto option = [&app, &values](const char *name, const char *unit, const std::string &help,
                                        const char *keyName = nullptr) {
        std::string names = std::string("--") + name;
        if (keyName)
            names += std::string(",--") + keyName;
        return app.add_option(names, values[name], help)->type_name(unit);
    };
    option("device", "NAME", "Device family or part id (default: the host's default device).");
    option("clkin", "MHZ", "Input clock.", "clkin-freq");
    option("clkout", "MHZ", "Wanted CLKOUT (General Mode).", "clkout-freq");
    option("tolerance", "PCT", "CLKOUT tolerance (default 0.0).", "clkout-tolerance");
    option("idiv", "N", "Input divider 1-64 (Advanced Mode).", "clkin-divide");
    option("fbdiv", "N", "Feedback divider 1-64 (Advanced Mode).", "clkfb-divide");
    option("odiv", "N", "VCO divider, one of " + odivList() + " (Advanced Mode).", "clkout-divider");
    const CLI::Option *bypass = app.add_flag("--bypass,--clkout-bypass",
                                             "General Mode with CLKOUT bypassed: CLKOUT is CLKIN.");
    option("clkoutd", "MHZ", "Wanted CLKOUTD; searches SDIV.", "clkoutd-freq");
    option("clkoutd-tolerance", "PCT", "CLKOUTD tolerance (default 0.0).");
    option("sdiv", "N", "CLKOUTD divider, even 2-128.", "clkoutd-divide");
    option("alternatives", "N",
           "How many nearest achievable CLKOUTs to list when the wanted one cannot be made (default 5).");
    const CLI::Option *asJson = app.add_flag("--json", "Print one JSON object.");
    const CLI::Option *asStream = app.add_flag("--jsonl", "Read one JSON request per line from standard input (the "
                                                          "options' names, e.g. {\"clkin\": 27, \"clkout\": 100}) "
                                                          "and write one JSON result per line.");
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
            if (given(name)) {
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
        return stream();
    }

    Request req;
    try {
        req = parseRequest([&](const char *name) -> std::optional<std::string> {
            if (!given(name))
                return std::nullopt;
            const auto it = values.find(name);
            return it == values.end() ? std::string() : it->second;
        });
    } catch (const UsageError &e) {
        std::fprintf(stderr, "mirel-calc: %s (see --help)\n", e.text.c_str());
        return ExitUsage;
    }

    const Outcome out = run(req);
    reportDiagnostic(out);
    if (asJson->count() == 0)
        printPlain(req, out);
    else if (std::printf("%s\n", dump(toJson(&req, out), 4).c_str()) < 0 && outputError == 0)
        outputError = errno;
    return out.ok ? ExitOk : ExitSearchFailed;
}

} // namespace
