// SPDX-License-Identifier: MIT
#include "commandline.h"

namespace HostCommandLine {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

int fail(int status, const QString &line)
{
    QTextStream(stderr) << "mirel-host: " << line << '\n';
    return status;
}

std::optional<int> parse(QCommandLineParser &parser, const QStringList &arguments, const QString &description)
{
    parser.setApplicationDescription(description);
    parser.addOption({QStringLiteral("plugin-dir"),
                      QStringLiteral("Folder holding the plug-in (default: ../plugins/mirel beside the program)."),
                      QStringLiteral("DIR")});
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(arguments))
        return fail(UsageError, parser.errorText());
    if (parser.isSet(help)) {
        out() << parser.helpText();
        out().flush();
        return Done;
    }
    return std::nullopt;
}

std::optional<int> loadCore(const QCommandLineParser &parser, PluginHost &host)
{
    const QString dir = parser.isSet(QStringLiteral("plugin-dir")) ? parser.value(QStringLiteral("plugin-dir"))
                                                                   : PluginHost::defaultPluginDir();
    QString error;
    if (!host.load(dir, &error))
        return fail(Refused, error);
    return std::nullopt;
}

QCommandLineOption deviceOption()
{
    return {QStringLiteral("device"),
            QStringLiteral("Target device, by name or part id (default: the first of 'mirel-host devices')."),
            QStringLiteral("NAME")};
}

std::optional<int> findDevice(const QCommandLineParser &parser, DEV::DeviceInfo *device)
{
    *device = DEV::DeviceTable::defaultDevice();
    if (!parser.isSet(QStringLiteral("device")))
        return std::nullopt;
    const QString name = parser.value(QStringLiteral("device"));
    const DEV::DeviceInfo *found = DEV::DeviceTable::find(name);
    if (!found)
        return fail(UsageError, QStringLiteral("unknown device '%1'; 'mirel-host devices' lists them").arg(name));
    *device = *found;
    return std::nullopt;
}

std::optional<int> checkSupported(PluginHost &host, const DEV::DeviceInfo &device)
{
    if (!host.core()->isSupported(device.arg()))
        return fail(Refused, QStringLiteral("%1 does not support the device %2").arg(host.core()->name(), device.device));
    return std::nullopt;
}

} // namespace HostCommandLine
