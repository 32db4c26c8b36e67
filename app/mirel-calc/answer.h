// SPDX-License-Identifier: MIT
#pragma once

// mirel-calc's JSON answer, "mirel.calc/1" (schemas/calc.schema.json): the one place
// that names its fields.
#include "jsontext.h"
#include "request.h"

namespace MirelCalc {

struct Answer
{
    const Request *request = nullptr; // null when the request was not understood
    const Outcome &outcome;
    const std::string *error = nullptr; // why the request was not understood; null: it was
    const std::string *id = nullptr;    // a streamed request's "id" as JSON text; null: it had none
};

// Appends the answer as one JSON object.
void writeAnswer(JsonText &json, const Answer &answer);

} // namespace MirelCalc
