// SPDX-License-Identifier: MIT
#include "devices.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace ModMirel::Calc {

extern const char kDeviceTableJson[]; // generated from the host's device table

namespace {

std::vector<Device> loadTable()
{
    std::vector<Device> table;
    try {
        const nlohmann::json root = nlohmann::json::parse(kDeviceTableJson);
        for (const nlohmann::json &entry : root.at("devices")) {
            const nlohmann::json &pll = entry.at("pll");
            Device d;
            d.device = entry.at("device").get<std::string>();
            d.id = entry.at("id").get<std::string>();
            d.description = entry.value("description", std::string());
            // Read as the host reads them: whole numbers, then single precision.
            d.pll.clkinMin = pll.at("clkinMin").get<std::int32_t>();
            d.pll.clkinMax = pll.at("clkinMax").get<std::int32_t>();
            d.pll.vcoMin = pll.at("vcoMin").get<std::int32_t>();
            d.pll.vcoMax = pll.at("vcoMax").get<std::int32_t>();
            d.pll.clkoutMinAlt = float(pll.at("clkoutMinAlt").get<double>());
            d.pll.clkoutMin = float(pll.at("clkoutMin").get<double>());
            d.pll.clkoutMax = float(pll.at("clkoutMax").get<double>());
            table.push_back(std::move(d));
        }
    } catch (const nlohmann::json::exception &e) {
        std::fprintf(stderr, "device table broken: %s\n", e.what());
        std::abort();
    }
    if (table.empty()) {
        std::fputs("device table empty\n", stderr);
        std::abort();
    }
    return table;
}

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
    static const std::vector<Device> table = loadTable();
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
