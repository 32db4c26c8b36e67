// SPDX-License-Identifier: MIT
#include "hostcommands.h"

#include "commandline.h"

#include <devicetable.h>

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>

namespace HostCommands {

using namespace HostCommandLine;

namespace {

QString limitsText(const DEV::PllLimits &l)
{
    // The dialog's lower CLKOUT bound is the higher of the two minimums.
    return QStringLiteral("CLKIN %1~%2 MHz, VCO %3~%4 MHz, CLKOUT %5~%6 MHz "
                          "(second minimum %7 MHz; the higher minimum applies)")
            .arg(l.clkinMin)
            .arg(l.clkinMax)
            .arg(l.vcoMin)
            .arg(l.vcoMax)
            .arg(double(l.clkoutMin))
            .arg(double(l.clkoutMax))
            .arg(double(l.clkoutMinAlt));
}

} // namespace

int info(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption(jsonOption(QStringLiteral("mirel.info/1")));
    if (auto status = parse(parser, arguments,
                            QStringLiteral("Prints the IP core's identity and the devices it supports.")))
        return *status;
    if (auto status = noArguments(parser, "info"))
        return *status;
    // The plug-in's metadata and description answer; the plug-in is not loaded.
    PluginHost host;
    if (auto status = describeCore(parser, host))
        return *status;
    const TE::TE_IPCore_Def::CoreDescription &core = host.description();
    QStringList supported;
    for (const DEV::DeviceInfo &device : DEV::DeviceTable::devices()) {
        if (core.isSupported(device.arg()))
            supported << device.device;
    }
    if (parser.isSet(QStringLiteral("json"))) {
        printJson({{QStringLiteral("schema"), QStringLiteral("mirel.info/1")},
                   {QStringLiteral("id"), core.id},
                   {QStringLiteral("name"), core.name},
                   {QStringLiteral("version"), core.version},
                   {QStringLiteral("category"), QJsonArray::fromStringList(core.category)},
                   {QStringLiteral("summary"), core.summary},
                   {QStringLiteral("devices"), QJsonArray::fromStringList(supported)}});
        return Done;
    }
    out() << "id:        " << core.id << '\n'
          << "name:      " << core.name << '\n'
          << "version:   " << core.version << '\n'
          << "category:  " << core.category.join(QStringLiteral(", ")) << '\n'
          << "summary:   " << core.summary << '\n'
          << "devices:   " << (supported.isEmpty() ? QStringLiteral("(none)") : supported.join(QStringLiteral(", ")))
          << '\n';
    return Done;
}

int devices(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption(jsonOption(QStringLiteral("mirel.devices/1")));
    if (auto status = parse(parser, arguments,
                            QStringLiteral("Lists the host's device table with each device's PLL limits.")))
        return *status;
    if (auto status = noArguments(parser, "devices"))
        return *status;
    if (parser.isSet(QStringLiteral("json"))) {
        QJsonArray devices;
        for (const DEV::DeviceInfo &device : DEV::DeviceTable::devices()) {
            const DEV::PllLimits &l = device.pll;
            devices.append(QJsonObject{{QStringLiteral("device"), device.device},
                                       {QStringLiteral("part"), device.id},
                                       {QStringLiteral("description"), device.description},
                                       {QStringLiteral("clkin_min_mhz"), l.clkinMin},
                                       {QStringLiteral("clkin_max_mhz"), l.clkinMax},
                                       {QStringLiteral("vco_min_mhz"), l.vcoMin},
                                       {QStringLiteral("vco_max_mhz"), l.vcoMax},
                                       {QStringLiteral("clkout_min_mhz"), double(l.clkoutMin)},
                                       {QStringLiteral("clkout_max_mhz"), double(l.clkoutMax)},
                                       {QStringLiteral("clkout_second_min_mhz"), double(l.clkoutMinAlt)}});
        }
        printJson({{QStringLiteral("schema"), QStringLiteral("mirel.devices/1")}, {QStringLiteral("devices"), devices}});
        return Done;
    }
    for (const DEV::DeviceInfo &device : DEV::DeviceTable::devices()) {
        out() << device.device << "  (" << device.id << ")  " << device.description << '\n'
              << "    " << limitsText(device.pll) << '\n';
    }
    return Done;
}

} // namespace HostCommands
