// SPDX-License-Identifier: MIT
#pragma once

// A request for one of the searches beyond the dialog's, read from the options, and its answer.
#include "request.h"

#include <crystals.h>
#include <jointsearch.h>
#include <profiles.h>

#include <nlohmann/json.hpp>

#include <map>
#include <string>
#include <vector>

namespace MirelCalc {

enum class Kind { Profiles, BestClkin, Joint };

struct ModeRequest
{
    Kind kind = Kind::Profiles;
    const Device *device = nullptr;
    ProfileSetInput set;
    std::vector<double> clkins; // --best-clkin: the candidates
    int top = 10;
    JointInput joint;
    std::vector<std::string> warnings; // values taken other than given, as the plain request says them
};

// The names of the options only these searches take: values, then flags.
extern const char *const kModeValues[6];
extern const char *const kModeFlags[2];

// An option lookup that answers the given names, and nothing else.
OptionLookup lookupOf(const std::map<std::string, std::string> &given);

// Throws UsageError.
ModeRequest parseMode(const OptionLookup &option);

// Runs the search: its answer as JSON, and as text on standard output when plain.
nlohmann::json answer(const ModeRequest &request, bool plain);

// The answer to a request the search refused to read: the same document, its error
// given and null where nothing was computed.
nlohmann::json refusal(Kind kind, const std::string &error);

} // namespace MirelCalc
