// SPDX-License-Identifier: MIT
#include "devices.h"

#include <cctype>

namespace ModMirel::Calc {

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

const std::vector<Device> &devices()
{
    // devicerows.inc: the host's devices.json, written as one line a device when the build runs.
    static const std::vector<Device> table = {
#define MIREL_DEVICE(device, id, description, clkinMin, clkinMax, vcoMin, vcoMax, clkoutMinAlt, clkoutMin, clkoutMax) \
    {device, id, description, {clkinMin, clkinMax, vcoMin, vcoMax, clkoutMinAlt, clkoutMin, clkoutMax}},
#include "devicerows.inc"
#undef MIREL_DEVICE
    };
    return table;
}

const Device *findDevice(std::string_view nameOrId)
{
    for (const Device &d : devices()) {
        if (sameIgnoringCase(d.device, nameOrId) || sameIgnoringCase(d.id, nameOrId))
            return &d;
    }
    return nullptr;
}

} // namespace ModMirel::Calc
