// SPDX-License-Identifier: MIT
#include "stream.h"

#include "answer.h"
#include "modes.h"
#include "output.h"

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace MirelCalc {

namespace {

using nlohmann::json;

// A longer line is no request: its remainder is skipped and it is answered as bad.
constexpr std::size_t kMaxLineBytes = 64 * 1024;

// nlohmann's document builder, keeping the parse error's text instead of throwing it,
// and refusing a name an object gives twice rather than keeping its last value.
struct DocumentParser : nlohmann::detail::json_sax_dom_parser<json>
{
    using json_sax_dom_parser::json_sax_dom_parser;

    bool start_object(std::size_t size)
    {
        names.emplace_back();
        return json_sax_dom_parser::start_object(size);
    }

    bool end_object()
    {
        names.pop_back();
        return json_sax_dom_parser::end_object();
    }

    bool key(std::string &name)
    {
        if (!names.back().insert(name).second) {
            failed = repeated = true;
            error = "\"" + name + "\" is given twice";
            return false;
        }
        return json_sax_dom_parser::key(name);
    }

    template<class Exception>
    bool parse_error(std::size_t, const std::string &, const Exception &e)
    {
        failed = true;
        error = e.what();
        return false;
    }

    std::vector<std::set<std::string>> names; // of the objects open
    bool failed = false;
    std::string error;
    bool repeated = false;
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

// A request's "id" as it is echoed: nlohmann's form of the value.
std::string idText(const json &id)
{
    std::string text;
    JsonText j(text, -1);
    if (id.is_string())
        j.value(id.get_ref<const std::string &>());
    else if (id.is_number())
        text = numberText(id);
    else
        text = id.dump(-1, ' ', false, json::error_handler_t::replace);
    return text;
}

// The option a request names, by its name, its batch key, or that key in lower case
// with dashes ("clkin", "CLKIN_FREQ", "clkin-freq"); Opt::Count for none.
Opt::Name optionNamed(const std::string &spelling)
{
    static const std::vector<std::pair<std::string, Opt::Name>> spellings = [] {
        std::vector<std::pair<std::string, Opt::Name>> all;
        for (int n = 0; n < Opt::Count; ++n) {
            const auto name = Opt::Name(n);
            all.emplace_back(kOptionNames[n], name);
            if (const char *key = batchKey(name)) {
                all.emplace_back(key, name);
                all.emplace_back(dashedKey(key), name);
            }
        }
        return all;
    }();
    for (const auto &[spelt, name] : spellings) {
        if (spelt == spelling)
            return name;
    }
    return Opt::Count;
}

// One request line: a JSON object with an optional "id". False, with the problem, when
// the line is no object.
bool readLine(const std::string &line, json &request, std::optional<std::string> &id, std::string &problem)
{
    request = json();
    DocumentParser parser(request, false);
    json::sax_parse(line, &parser);
    if (parser.failed) {
        problem = parser.repeated ? parser.error : "not a JSON object: " + parser.error;
        return false;
    }
    if (!request.is_object()) {
        problem = "a request is a JSON object";
        return false;
    }
    if (const auto it = request.find("id"); it != request.end())
        id = idText(*it);
    return true;
}

// A request's options, by their names or their keys'. False, with the problem, when
// they are no request.
bool readOptions(const json &request, OptionValues &given, OptionSpellings &shown, std::string &problem)
{
    given = OptionValues();
    shown = OptionSpellings();
    for (const auto &[key, value] : request.items()) {
        if (key == "id")
            continue;
        const Opt::Name option = optionNamed(key);
        if (option == Opt::Count) {
            problem = "unknown name \"" + key + "\"";
            return false;
        }
        if (!shown[option].empty()) {
            problem = "\"" + std::string(shown[option]) + "\" and \"" + key + "\" name the same option";
            return false;
        }
        shown[option] = key;
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
    // Messages name the options the request did not spell by their plain names.
    for (int n = 0; n < Opt::Count; ++n) {
        if (shown[n].empty())
            shown[n] = kOptionNames[n];
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

int stream(const std::string &defaultDevice, bool strict)
{
    LineReader reader;
    std::string line, problem, text;
    std::optional<std::string> id;
    json document;
    OptionValues given;
    OptionSpellings shown;
    Request request;
    while (reader.next(line)) {
        // Every line is answered, a blank one too, so that answers pair with lines.
        Outcome outcome;
        bool understood = false;
        id.reset();
        text.clear();
        if (line.size() > kMaxLineBytes) {
            problem = "line longer than " + std::to_string(kMaxLineBytes) + " bytes";
        } else if (line.find_first_not_of(" \t\r") == std::string::npos) {
            problem = "empty line";
        } else if (!readLine(line, document, id, problem)) {
            // answered with the problem below
        } else if (std::optional<json> mode = answerMode(document, defaultDevice)) {
            // The searches of modes.h answer in their own form.
            if (const auto it = document.find("id"); it != document.end())
                (*mode)["id"] = *it;
            text = mode->dump(-1, ' ', false, json::error_handler_t::replace);
        } else if (readOptions(document, given, shown, problem)) {
            if (!given[Opt::Device] && !defaultDevice.empty())
                given[Opt::Device] = defaultDevice;
            if (parseRequest(given, shown, request, problem)) {
                outcome = answer(request, strict);
                reportDiagnostic(outcome);
                understood = true;
            }
        }
        if (text.empty()) {
            JsonText json(text, -1);
            writeAnswer(json, Answer{understood ? &request : nullptr, outcome, understood ? nullptr : &problem,
                                     id ? &*id : nullptr});
        }
        text += '\n';
        // Answers nobody receives are not worth computing: stop at the first lost one.
        if (!writeOutput(text))
            return ExitSearchFailed;
    }
    return ExitOk;
}

} // namespace MirelCalc
