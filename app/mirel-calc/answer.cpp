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
    bool streamedOnly = false;
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
void writeObject(JsonText &json, const std::array<const Field<Subject> *, N> &fields, const Subject &subject,
                 bool streamed)
{
    json.beginObject();
    for (const Field<Subject> *field : fields) {
        if (field->streamedOnly && !streamed)
            continue;
        json.key(field->name);
        field->write(json, subject);
    }
    json.endObject();
}

template<auto Member>
void alternative(JsonText &j, const Alternative &a)
{
    j.value(a.*Member);
}

template<auto Member>
void outcome(JsonText &j, const Answer &a)
{
    j.value(a.outcome.*Member);
}

const Field<Alternative> kAlternativeFields[] = {
        {"clkout", alternative<&Alternative::frequency>},
        {"idiv", alternative<&Alternative::idiv>},
        {"fbdiv", alternative<&Alternative::fbdiv>},
        {"odiv", alternative<&Alternative::odiv>},
};
const auto kAlternativeFieldsByName = byName(kAlternativeFields);

void device(JsonText &j, const Answer &a)
{
    if (a.request)
        j.value(a.request->device->id);
    else
        j.null();
}

void messages(JsonText &j, const Answer &a)
{
    j.beginArray();
    for (const std::string &m : a.outcome.messages)
        j.value(m);
    j.endArray();
}

void alternatives(JsonText &j, const Answer &a)
{
    j.beginArray();
    for (const Alternative &each : a.outcome.alternatives)
        writeObject(j, kAlternativeFieldsByName, each, false);
    j.endArray();
}

void error(JsonText &j, const Answer &a)
{
    if (a.error)
        j.value(*a.error);
    else
        j.null();
}

const Field<Answer> kAnswerFields[] = {
        {"ok", outcome<&Outcome::ok>},
        {"device", device},
        {"idiv", outcome<&Outcome::idiv>},
        {"fbdiv", outcome<&Outcome::fbdiv>},
        {"odiv", outcome<&Outcome::odiv>},
        {"sdiv", outcome<&Outcome::sdiv>},
        {"clkout", outcome<&Outcome::clkout>},
        {"clkoutd", outcome<&Outcome::clkoutd>},
        {"pfd", outcome<&Outcome::pfd>},
        {"vco", outcome<&Outcome::vco>},
        {"clkout_ppm", outcome<&Outcome::clkoutPpm>},
        {"clkoutd_ppm", outcome<&Outcome::clkoutdPpm>},
        {"clkout_shown", outcome<&Outcome::clkoutShown>},
        {"clkoutd_shown", outcome<&Outcome::clkoutdShown>},
        {"messages", messages},
        {"alternatives", alternatives},
        {"error", error, true}, // streamed answers only
};
const auto kAnswerFieldsByName = byName(kAnswerFields);

} // namespace

void writeAnswer(JsonText &json, const Answer &answer)
{
    writeObject(json, kAnswerFieldsByName, answer, answer.streamed);
}

} // namespace MirelCalc
