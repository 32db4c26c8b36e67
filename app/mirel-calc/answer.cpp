// SPDX-License-Identifier: MIT
#include "answer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace MirelCalc {

namespace {

template<typename Subject>
struct Field
{
    const char *name;
    void (*write)(JsonText &, const Subject &);
    bool (*present)(const Subject &) = nullptr; // null: always
};

// nlohmann's objects hold their names sorted, and the answers keep that order
// whatever the order of a table below.
template<typename Subject, std::size_t N>
std::array<const Field<Subject> *, N> byName(const Field<Subject> (&fields)[N])
{
    std::array<const Field<Subject> *, N> sorted;
    for (std::size_t i = 0; i < N; ++i)
        sorted[i] = &fields[i];
    std::sort(sorted.begin(), sorted.end(),
              [](const Field<Subject> *a, const Field<Subject> *b) { return std::strcmp(a->name, b->name) < 0; });
    return sorted;
}

template<typename Subject, std::size_t N>
void writeObject(JsonText &json, const std::array<const Field<Subject> *, N> &fields, const Subject &subject)
{
    json.beginObject();
    for (const Field<Subject> *field : fields) {
        if (field->present && !field->present(subject))
            continue;
        json.key(field->name);
        field->write(json, subject);
    }
    json.endObject();
}

template<typename Subject, typename Each, std::size_t N>
void writeArray(JsonText &json, const std::array<const Field<Subject> *, N> &fields, const Each &each)
{
    json.beginArray();
    each([&](const Subject &subject) { writeObject(json, fields, subject); });
    json.endArray();
}

std::optional<double> ppm(double actual, double asked)
{
    return asked > 0.0 ? std::optional<double>((actual - asked) / asked * 1e6) : std::nullopt;
}

std::optional<double> positive(double v)
{
    return v > 0.0 ? std::optional<double>(v) : std::nullopt;
}

// One entry of "outputs".
struct Output
{
    const char *name;
    std::optional<double> wanted, achieved, errorPpm, shown;
};

template<auto Member>
void output(JsonText &j, const Output &o)
{
    j.value(o.*Member);
}

// The closest frequency of a target no dividers make.
void rejected(JsonText &j, const Output &o)
{
    j.value(o.achieved ? std::nullopt : o.shown);
}

const Field<Output> kOutputFields[] = {
        {"name", output<&Output::name>},
        {"wanted_mhz", output<&Output::wanted>},
        {"achieved_mhz", output<&Output::achieved>},
        {"error_ppm", output<&Output::errorPpm>},
        {"rejected_mhz", rejected},
};
const auto kOutputFieldsByName = byName(kOutputFields);

// One entry of "alternatives", with the frequency asked for.
struct Nearest
{
    const Alternative &alternative;
    double asked;
};

template<auto Member>
void nearest(JsonText &j, const Nearest &n)
{
    j.value(n.alternative.*Member);
}

void nearestError(JsonText &j, const Nearest &n)
{
    j.value(ppm(n.alternative.frequency, n.asked));
}

const Field<Nearest> kAlternativeFields[] = {
        {"clkout_mhz", nearest<&Alternative::frequency>},
        {"error_ppm", nearestError},
        {"idiv", nearest<&Alternative::idiv>},
        {"fbdiv", nearest<&Alternative::fbdiv>},
        {"odiv", nearest<&Alternative::odiv>},
};
const auto kAlternativeFieldsByName = byName(kAlternativeFields);

template<auto Member>
void ignoredBy(JsonText &j, const Ignored &i)
{
    j.value(i.*Member);
}

const Field<Ignored> kIgnoredFields[] = {
        {"key", ignoredBy<&Ignored::key>},
        {"by_key", ignoredBy<&Ignored::byKey>},
        {"by_value", ignoredBy<&Ignored::byValue>},
};
const auto kIgnoredFieldsByName = byName(kIgnoredFields);

template<auto Member>
void outcome(JsonText &j, const Answer &a)
{
    j.value(a.outcome.*Member);
}

// The device's family name, or its part id.
template<auto Member>
void device(JsonText &j, const Answer &a)
{
    if (a.request)
        j.value(a.request->device->*Member);
    else
        j.null();
}

void outputs(JsonText &j, const Answer &a)
{
    writeArray(j, kOutputFieldsByName, [&a](const auto &write) {
        if (!a.request)
            return;
        const Request &req = *a.request;
        const Outcome &out = a.outcome;
        write(Output{"CLKOUT", positive(req.clkoutAsked), out.clkout, out.clkoutPpm, out.clkoutShown});
        if (req.clkoutdEnabled)
            write(Output{"CLKOUTD", positive(req.clkoutdAsked), out.clkoutd, out.clkoutdPpm, out.clkoutdShown});
    });
}

void alternatives(JsonText &j, const Answer &a)
{
    writeArray(j, kAlternativeFieldsByName, [&a](const auto &write) {
        if (!a.request)
            return;
        for (const Alternative &each : a.outcome.alternatives)
            write(Nearest{each, a.request->clkoutAsked});
    });
}

void ignored(JsonText &j, const Answer &a)
{
    writeArray(j, kIgnoredFieldsByName, [&a](const auto &write) {
        if (!a.request)
            return;
        for (const Ignored &each : a.request->ignored)
            write(each);
    });
}

void messages(JsonText &j, const Answer &a)
{
    j.beginArray();
    for (const std::string &m : a.outcome.messages)
        j.value(m);
    j.endArray();
}

void schema(JsonText &j, const Answer &)
{
    j.value("mirel.calc/1");
}

void id(JsonText &j, const Answer &a)
{
    j.raw(*a.id);
}

bool hasId(const Answer &a)
{
    return a.id != nullptr;
}

void error(JsonText &j, const Answer &a)
{
    if (a.error)
        j.value(*a.error);
    else
        j.null();
}

const Field<Answer> kAnswerFields[] = {
        {"schema", schema},
        {"id", id, hasId},
        {"ok", outcome<&Outcome::ok>},
        {"error", error},
        {"device", device<&Device::device>},
        {"part", device<&Device::id>},
        {"idiv", outcome<&Outcome::idiv>},
        {"fbdiv", outcome<&Outcome::fbdiv>},
        {"odiv", outcome<&Outcome::odiv>},
        {"sdiv", outcome<&Outcome::sdiv>},
        {"pfd_mhz", outcome<&Outcome::pfd>},
        {"vco_mhz", outcome<&Outcome::vco>},
        {"outputs", outputs},
        {"alternatives", alternatives},
        {"ignored", ignored},
        {"messages", messages},
};
const auto kAnswerFieldsByName = byName(kAnswerFields);

} // namespace

void writeAnswer(JsonText &json, const Answer &answer)
{
    writeObject(json, kAnswerFieldsByName, answer);
}

} // namespace MirelCalc
