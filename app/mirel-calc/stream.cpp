// SPDX-License-Identifier: MIT
#include "stream.h"

#include "answer.h"
#include "output.h"

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace MirelCalc {

namespace {

using nlohmann::json;

// A longer line is no request: its remainder is skipped and it is answered as bad.
constexpr std::size_t kMaxLineBytes = 64 * 1024;

// nlohmann's document builder, keeping the parse error's text instead of throwing it.
struct DocumentParser : nlohmann::detail::json_sax_dom_parser<json>
{
    using json_sax_dom_parser::json_sax_dom_parser;

    template<class Exception>
    bool parse_error(std::size_t, const std::string &, const Exception &e)
    {
        failed = true;
        error = e.what();
        return false;
    }

    bool failed = false;
    std::string error;
};

std::string numberText(const json &value)
{
    std::string text;
    JsonText j(text, -1);
    if (value.is_number_float())
        j.value(value.get<double>());
    else if (value.is_number_unsigned())
        j.value(value.get<std::uint64_t>());
    else
        j.value(value.get<std::int64_t>());
    return text;
}

// One request line: a JSON object whose names are the options'. False, with the
// problem, when the line is no request.
bool readRequest(const std::string &line, OptionValues &given, std::string &problem)
{
    given = OptionValues();
    json request;
    DocumentParser parser(request, false);
    json::sax_parse(line, &parser);
    if (parser.failed) {
        problem = "not a JSON object: " + parser.error;
        return false;
    }
    if (!request.is_object()) {
        problem = "a request is a JSON object";
        return false;
    }
    for (const auto &[key, value] : request.items()) {
        const auto *name = std::find_if(std::begin(kOptionNames), std::end(kOptionNames),
                                        [&key = key](const char *n) { return key == n; });
        if (name == std::end(kOptionNames)) {
            problem = "unknown name \"" + key + "\"";
            return false;
        }
        const auto option = Opt::Name(name - std::begin(kOptionNames));
        const bool flag = option == Opt::Bypass;
        if (value.is_null() || (flag && value == false))
            continue;
        if (flag && value != true) {
            problem = "\"" + key + "\" is true or false";
            return false;
        }
        if (!flag && !value.is_number() && !value.is_string()) {
            problem = "\"" + key + "\" needs a number or a text";
            return false;
        }
        if (flag)
            given[option].emplace();
        else
            given[option] = value.is_string() ? value.get<std::string>() : numberText(value);
    }
    return true;
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

} // namespace

int stream()
{
    static char output[1 << 16];
    std::setvbuf(stdout, output, _IOFBF, sizeof output);
    LineReader reader;
    std::string line, problem, text;
    OptionValues given;
    Request request;
    while (reader.next(line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        Outcome outcome;
        bool understood = false;
        if (line.size() > kMaxLineBytes) {
            problem = "line longer than " + std::to_string(kMaxLineBytes) + " bytes";
        } else if (readRequest(line, given, problem) && parseRequest(given, request, problem)) {
            outcome = run(request);
            reportDiagnostic(outcome);
            understood = true;
        }
        text.clear();
        JsonText json(text, -1);
        writeAnswer(json, Answer{understood ? &request : nullptr, outcome, true, understood ? nullptr : &problem});
        text += '\n';
        // Answers nobody receives are not worth computing: stop at the first lost one.
        if (!writeOutput(text))
            return ExitSearchFailed;
    }
    return ExitOk;
}

} // namespace MirelCalc
