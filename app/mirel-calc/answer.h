// SPDX-License-Identifier: MIT
#pragma once

// mirel-calc's JSON answer: the one place that names its fields.
#include "jsontext.h"
#include "request.h"

namespace MirelCalc {

struct Answer
{
    const Request *request = nullptr; // null when the request was not understood
    const Outcome &outcome;
    bool streamed = false;              // a --jsonl answer, which also carries "error"
    const std::string *error = nullptr; // why a streamed request was not understood; null: it was
};

// Appends the answer as one JSON object.
void writeAnswer(JsonText &json, const Answer &answer);

} // namespace MirelCalc
