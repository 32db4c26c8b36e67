// SPDX-License-Identifier: MIT
#pragma once

// The searches beyond the dialog's: frequency profiles switched at run time
// (--profiles), the best input clock (--best-clkin) and the joint search (--joint).
#include "request.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <map>
#include <optional>
#include <string>

namespace MirelCalc {

// Registers the options, their texts kept in values under the names without dashes.
void addModeOptions(CLI::App &app, std::map<std::string, std::string> &values);

// When the options ask for one of these searches: runs it, prints its answer (JSON with
// json) and returns the exit status. Nothing when they ask for none.
std::optional<int> runMode(const OptionLookup &option, bool json, bool stream);

// The answer to a stream's request for one of them, or nothing for a plain request.
std::optional<nlohmann::json> answerMode(const nlohmann::json &request, const std::string &defaultDevice);

} // namespace MirelCalc
