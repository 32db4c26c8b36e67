// SPDX-License-Identifier: MIT
// Writes the device table as one MIREL_DEVICE(device, id, description, clkinMin,
// clkinMax, vcoMin, vcoMax, clkoutMinAlt, clkoutMin, clkoutMax) line a device, which
// the host's table (Device) and the calculator's (MirelCalc) each include to build
// their own records. A table a field of which is missing or of the wrong kind stops
// the build:
//
//     mirel-device-table devices.json OUT.inc
#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>

using nlohmann::json;

namespace {

// Octal escapes, which no following digit can extend past three.
std::string literal(const json &value, const char *name)
{
    if (!value.is_string())
        throw std::runtime_error(std::string("'") + name + "' is not a string");
    std::string text = "\"";
    for (const unsigned char c : value.get<std::string>()) {
        if (c == '"' || c == '\\' || c < 0x20 || c >= 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\%03o", c);
            text += escaped;
        } else {
            text += char(c);
        }
    }
    return text + "\"";
}

std::string whole(const json &pll, const char *name)
{
    const json &value = pll.at(name);
    if (!value.is_number_integer() || value.get<std::int64_t>() < std::numeric_limits<std::int32_t>::min()
        || value.get<std::int64_t>() > std::numeric_limits<std::int32_t>::max())
        throw std::runtime_error(std::string("'") + name + "' is not a 32-bit whole number");
    return std::to_string(value.get<std::int64_t>());
}

// Single precision, as the host's record keeps it.
std::string single(const json &pll, const char *name)
{
    const json &value = pll.at(name);
    if (!value.is_number())
        throw std::runtime_error(std::string("'") + name + "' is not a number");
    char text[40];
    std::snprintf(text, sizeof text, "float(%.17g)", value.get<double>());
    return text;
}

std::string rows(const json &root)
{
    const json &devices = root.at("devices");
    if (!devices.is_array() || devices.empty())
        throw std::runtime_error("'devices' is not a list of devices");
    std::ostringstream out;
    out << "// Generated from devices.json by mirel-device-table; edit that file instead.\n";
    for (const json &device : devices) {
        const json &pll = device.at("pll");
        out << "MIREL_DEVICE(" << literal(device.at("device"), "device") << ", " << literal(device.at("id"), "id")
            << ", " << literal(device.at("description"), "description") << ",\n             " << whole(pll, "clkinMin")
            << ", " << whole(pll, "clkinMax") << ", " << whole(pll, "vcoMin") << ", " << whole(pll, "vcoMax") << ", "
            << single(pll, "clkoutMinAlt") << ", " << single(pll, "clkoutMin") << ", " << single(pll, "clkoutMax")
            << ")\n";
    }
    return out.str();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: mirel-device-table devices.json OUT.inc\n", stderr);
        return 2;
    }
    std::string text;
    try {
        std::ifstream in(argv[1]);
        if (!in)
            throw std::runtime_error("cannot be read");
        text = rows(json::parse(in));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "mirel-device-table: %s: %s\n", argv[1], e.what());
        return 1;
    }
    // Written aside and renamed, so that a failed run leaves no half table for the next build.
    const std::string staged = std::string(argv[2]) + ".tmp";
    std::ofstream out(staged, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out || std::rename(staged.c_str(), argv[2]) != 0) {
        std::fprintf(stderr, "mirel-device-table: cannot write %s\n", argv[2]);
        std::remove(staged.c_str());
        return 1;
    }
    return 0;
}
