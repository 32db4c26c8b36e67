// SPDX-License-Identifier: MIT
#pragma once

#include "plllimits.h"

#include <string>
#include <string_view>
#include <vector>

namespace ModMirel::Calc {

// One device of the host's device table, for programs without Qt. The table is
// the host's own devices.json, written in at build time as the host's is, so both
// sides read one source.
struct Device
{
    std::string device; // family name, e.g. "AXL-12"
    std::string id;     // part id, e.g. "AXL-12-QN88"
    std::string description;
    PllLimits pll;
};

const std::vector<Device> &devices(); // the first is the host's default device

// By family name or part id, ignoring ASCII case; null when unknown.
const Device *findDevice(std::string_view nameOrId);

} // namespace ModMirel::Calc
