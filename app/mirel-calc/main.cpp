// SPDX-License-Identifier: MIT
// mirel-calc: the dividers of the MIREL PLL for wanted frequencies, without the dialog.

#include "answer.h"
#include "arguments.h"
#include "modes.h"
#include "output.h"
#include "stream.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

using namespace MirelCalc;

namespace {

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
                        a.fbdiv, a.odiv, signedPpm((a.frequency - req.clkoutAsked) / req.clkoutAsked * 1e6).c_str());
        }
    }
}

// --json: the answer on one line.
void printJson(const Answer &answer)
{
    std::string text;
    JsonText json(text, -1);
    writeAnswer(json, answer);
    text += '\n';
    writeOutput(text);
}

// Results reach standard output through stdio or, for help, iostream; this is where it
// shows whether they arrived. A lost result is a failure, as for cat or printf.
int finishOutput(int status)
{
    std::cout.flush();
    if (flushOutput() && !std::ferror(stdout) && !std::cout.fail())
        return status;
    std::fprintf(stderr, "ERROR: cannot write the results to standard output%s%s\n", outputError() ? ": " : "",
                 outputError() ? std::strerror(outputError()) : "");
    return ExitSearchFailed;
}

int calculate(int argc, char *argv[])
{
    CommandLine line;
    if (const int status = readCommandLine(argc, argv, line); status >= 0)
        return status;

    if (!line.modes.empty()) {
        const OptionLookup lookup = [&line](const char *name) -> std::optional<std::string> {
            if (const auto it = line.modes.find(name); it != line.modes.end())
                return it->second;
            for (int n = 0; n < Opt::Count; ++n) {
                if (std::strcmp(kOptionNames[n], name) == 0)
                    return line.given[n];
            }
            return std::nullopt;
        };
        return runMode(lookup, line.json, line.jsonl).value_or(ExitOk);
    }
    if (line.jsonl) {
        static char output[1 << 16];
        std::setvbuf(stdout, output, _IOFBF, sizeof output);
        for (int n = Opt::Device + 1; n < Opt::Bypass; ++n) {
            if (line.given[n]) {
                std::fprintf(stderr,
                             "mirel-calc: --jsonl takes its requests from standard input, not --%s (see --help)\n",
                             kOptionNames[n]);
                return ExitUsage;
            }
        }
        if (line.given[Opt::Bypass] || line.json) {
            std::fprintf(stderr, "mirel-calc: --jsonl takes its requests from standard input (see --help)\n");
            return ExitUsage;
        }
        return stream(line.given[Opt::Device].value_or(std::string()), line.strict);
    }

    static const OptionSpellings dashedNames = [] {
        static std::string names[Opt::Count];
        OptionSpellings shown;
        for (int n = 0; n < Opt::Count; ++n)
            shown[n] = names[n] = std::string("--") + kOptionNames[n];
        return shown;
    }();
    Request req;
    std::string problem;
    if (!parseRequest(line.given, dashedNames, req, problem)) {
        std::fprintf(stderr, "mirel-calc: %s (see --help)\n", problem.c_str());
        if (line.json)
            printJson(Answer{nullptr, Outcome(), &problem});
        return ExitUsage;
    }

    const Outcome out = answer(req, line.strict);
    reportDiagnostic(out);
    if (line.json)
        printJson(Answer{&req, out});
    else
        printPlain(req, out);
    return out.ok ? ExitOk : ExitSearchFailed;
}

} // namespace

int main(int argc, char *argv[])
{
    return finishOutput(calculate(argc, argv));
}
