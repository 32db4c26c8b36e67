// SPDX-License-Identifier: MIT
// The keys command: the core's batch options, as options() describes them.
#include "commandline.h"
#include "hostcommands.h"

#include <QCommandLineParser>
#include <QJsonObject>
#include <QLocale>

namespace HostCommands {

using namespace HostCommandLine;

namespace {

QString shown(const QVariant &value)
{
    if (value.userType() == QMetaType::Double)
        return QLocale::c().toString(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    if (value.userType() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return value.toString();
}

// The option with its range for the device, nulls where it has no such field.
QJsonObject resolved(const QVariantMap &option, const QString &device)
{
    QVariantMap range = option.value(QStringLiteral("ranges")).toMap().value(device).toMap();
    if (range.isEmpty())
        range = option;
    const QVariant items = option.value(QStringLiteral("items"));
    const auto orNull = [](const QVariant &v) {
        return v.isValid() ? QJsonValue::fromVariant(v) : QJsonValue();
    };
    // A default has the JSON type of the values its kind takes: a switch's "true" is true.
    const QString kind = option.value(QStringLiteral("kind")).toString();
    QVariant defaultValue = option.value(QStringLiteral("default"));
    if (kind == QLatin1String("switch") || kind == QLatin1String("bool"))
        defaultValue = defaultValue.toBool();
    return {{QStringLiteral("kind"), kind},
            {QStringLiteral("default"), orNull(defaultValue)},
            {QStringLiteral("items"), orNull(items)},
            {QStringLiteral("minimum"), orNull(range.value(QStringLiteral("minimum")))},
            {QStringLiteral("maximum"), orNull(range.value(QStringLiteral("maximum")))},
            {QStringLiteral("even"), option.value(QStringLiteral("even")).toBool()},
            {QStringLiteral("description"), option.value(QStringLiteral("description")).toString()}};
}

QString legal(const QJsonObject &option)
{
    if (option.value(QStringLiteral("items")).isArray())
        return option.value(QStringLiteral("items")).toVariant().toStringList().join(QStringLiteral(", "));
    if (option.value(QStringLiteral("minimum")).isDouble()) {
        return QStringLiteral("%1 to %2%3")
                .arg(shown(option.value(QStringLiteral("minimum")).toDouble()),
                     shown(option.value(QStringLiteral("maximum")).toDouble()),
                     option.value(QStringLiteral("even")).toBool() ? QStringLiteral(", even") : QString());
    }
    return option.value(QStringLiteral("kind")).toString() == QLatin1String("bool") ? QStringLiteral("true, false")
                                                                                    : QStringLiteral("any text");
}

} // namespace

int keys(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption(deviceOption(QStringLiteral("Device whose frequency ranges are shown, by name or part id "
                                                 "(default: the first of 'mirel-host devices').")));
    parser.addOption(jsonOption(QStringLiteral("mirel.keys/1")));
    if (auto status = parse(parser, arguments,
                            QStringLiteral("Lists the batch options of 'create': kind, default, "
                                           "legal values and description.")))
        return *status;
    // The plug-in's metadata and description answer; the plug-in is not loaded.
    DEV::DeviceInfo device;
    PluginHost host;
    if (auto status = describeCoreFor(parser, host, &device))
        return *status;

    const QVariantMap options = host.description().options();
    QJsonObject described;
    for (auto it = options.begin(); it != options.end(); ++it)
        described.insert(it.key(), resolved(it.value().toMap(), device.device));
    if (parser.isSet(QStringLiteral("json"))) {
        printJson({{QStringLiteral("schema"), QStringLiteral("mirel.keys/1")},
                   {QStringLiteral("device"), device.device},
                   {QStringLiteral("part"), device.id},
                   {QStringLiteral("options"), described}});
        return Done;
    }
    // A Markdown table, so that the README's list is this output.
    out() << "| Key | Kind | Default | Legal values (" << device.device << ") | Description |\n"
          << "|---|---|---|---|---|\n";
    for (auto it = described.begin(); it != described.end(); ++it) {
        const QJsonObject option = it.value().toObject();
        out() << "| `" << it.key() << "` | " << option.value(QStringLiteral("kind")).toString() << " | "
              << shown(option.value(QStringLiteral("default")).toVariant()) << " | " << legal(option) << " | "
              << option.value(QStringLiteral("description")).toString() << " |\n";
    }
    return Done;
}

} // namespace HostCommands
