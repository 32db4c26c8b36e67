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

// What keys shows of one option for a device.
struct Key
{
    QString kind;
    QVariant defaultValue;
    QVariant items;
    QVariant minimum;
    QVariant maximum;
    bool even = false;
    QString description;
};

// The option with its range for the device; values as QJsonValue::toVariant() gives them.
Key keyOf(const QJsonObject &option, const QString &device)
{
    QJsonObject range = option.value(QLatin1String("ranges")).toObject().value(device).toObject();
    if (range.isEmpty())
        range = option;
    const auto field = [](const QJsonObject &object, const char *name) {
        return object.value(QLatin1String(name)).toVariant();
    };
    Key key;
    key.kind = field(option, "kind").toString();
    key.defaultValue = field(option, "default");
    // A default has the type of the values its kind takes: a switch's "true" is true.
    if (key.kind == QLatin1String("switch") || key.kind == QLatin1String("bool"))
        key.defaultValue = key.defaultValue.toBool();
    key.items = field(option, "items");
    key.minimum = field(range, "minimum");
    key.maximum = field(range, "maximum");
    key.even = field(option, "even").toBool();
    key.description = field(option, "description").toString();
    return key;
}

// Nulls where the option has no such field.
QJsonObject json(const Key &key)
{
    const auto orNull = [](const QVariant &v) {
        return v.isValid() ? QJsonValue::fromVariant(v) : QJsonValue();
    };
    return {{QStringLiteral("kind"), key.kind},
            {QStringLiteral("default"), orNull(key.defaultValue)},
            {QStringLiteral("items"), orNull(key.items)},
            {QStringLiteral("minimum"), orNull(key.minimum)},
            {QStringLiteral("maximum"), orNull(key.maximum)},
            {QStringLiteral("even"), key.even},
            {QStringLiteral("description"), key.description}};
}

bool isNumber(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

QString legal(const Key &key)
{
    if (key.items.userType() == QMetaType::QVariantList || key.items.userType() == QMetaType::QStringList)
        return key.items.toStringList().join(QStringLiteral(", "));
    if (isNumber(key.minimum)) {
        return shown(key.minimum.toDouble()) + QStringLiteral(" to ") + shown(key.maximum.toDouble())
               + (key.even ? QStringLiteral(", even") : QString());
    }
    return key.kind == QLatin1String("bool") ? QStringLiteral("true, false") : QStringLiteral("any text");
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
    if (auto status = noArguments(parser, "keys"))
        return *status;
    // The plug-in's metadata and description answer; the plug-in is not loaded.
    DEV::DeviceInfo device;
    PluginHost host;
    if (auto status = describeCoreFor(parser, host, &device))
        return *status;

    const QJsonObject options = host.description().options();
    if (parser.isSet(QStringLiteral("json"))) {
        QJsonObject described;
        for (auto it = options.begin(); it != options.end(); ++it)
            described.insert(it.key(), json(keyOf(it.value().toObject(), device.device)));
        printJson({{QStringLiteral("schema"), QStringLiteral("mirel.keys/1")},
                   {QStringLiteral("device"), device.device},
                   {QStringLiteral("part"), device.id},
                   {QStringLiteral("options"), described}});
        return Done;
    }
    // A Markdown table, so that the README's list is this output.
    out() << "| Key | Kind | Default | Legal values (" << device.device << ") | Description |\n"
          << "|---|---|---|---|---|\n";
    for (auto it = options.begin(); it != options.end(); ++it) {
        const Key key = keyOf(it.value().toObject(), device.device);
        out() << "| `" << it.key() << "` | " << key.kind << " | " << shown(key.defaultValue) << " | " << legal(key)
              << " | " << key.description << " |\n";
    }
    return Done;
}

} // namespace HostCommands
