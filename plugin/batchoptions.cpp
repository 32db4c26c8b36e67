// SPDX-License-Identifier: MIT
#include "batchoptions.h"

#include <configkeys.h>
#include <devices.h>
#include <plllimits.h>
#include <pllrange.h>
#include <rangelabels.h>

#include <QtMath>

namespace ModMirel {

namespace {

using Config::Kind;

// The double spin boxes keep three decimals, their bounds included.
double asShown(double mhz)
{
    return double(qRound64(mhz * 1000.0)) / 1000.0;
}

QVariantMap range(double minimum, double maximum)
{
    return {{QStringLiteral("minimum"), minimum}, {QStringLiteral("maximum"), maximum}};
}

// The device's bounds of a frequency control, as the dialog sets them.
QVariantMap deviceRange(const char *control, const Calc::RangeLabels &labels)
{
    const QLatin1String name(control);
    if (name == QLatin1String("clkinSpinFrequency"))
        return range(labels.clkinMin, labels.clkinMax);
    if (name == QLatin1String("clkoutSpinFrequency"))
        return range(asShown(labels.clkoutMin), asShown(labels.clkoutMax));
    return range(asShown(labels.clkoutdMin), asShown(labels.clkoutdMax));
}

QVariantMap described(const char *kind, const QVariant &defaultValue, const QString &description)
{
    return {{QStringLiteral("kind"), QLatin1String(kind)},
            {QStringLiteral("default"), defaultValue},
            {QStringLiteral("description"), description}};
}

QVariantMap fromEntry(const Config::Entry &entry, const QVariantMap &ranges)
{
    const QString description = QLatin1String(Config::description(entry.key));
    QVariantMap option;
    switch (entry.kind) {
    case Kind::Language:
        option = described("language", 0, description);
        option.insert(QStringLiteral("items"), Config::languageItems());
        return option;
    case Kind::Switch:
        // Without a set step (MODE_GENERAL) the form keeps its own state.
        option = described("switch", entry.batchDefault.isValid() ? entry.batchDefault.toString() : entry.formDefault,
                           description);
        option.insert(QStringLiteral("items"), QStringList{QStringLiteral("true"), QStringLiteral("false")});
        return option;
    case Kind::Check:
        return described("bool", entry.batchDefault.toBool(), description);
    case Kind::Real:
        option = described("real", entry.batchDefault.toString().toDouble(), description);
        option.insert(range(entry.minimum, entry.maximum));
        option.insert(QStringLiteral("ranges"), ranges.value(QLatin1String(entry.control)));
        return option;
    case Kind::Whole:
        option = described("int",
                           entry.batchDefault.isValid() ? entry.batchDefault : QVariant(entry.formDefault.toInt()),
                           description);
        option.insert(range(entry.minimum, entry.maximum));
        if (entry.batch == Config::BatchUse::AdvancedOnly)
            option.insert(QStringLiteral("even"), true);
        return option;
    case Kind::ItemIndex:
    case Kind::ItemText:
        option = described("item", entry.batchDefault.toString(), description);
        option.insert(QStringLiteral("items"), entry.items);
        return option;
    }
    return option;
}

} // namespace

QVariantMap batchOptions(const std::function<bool(const DEV::DeviceArg &)> &supported)
{
    // Frequency bounds per control, then per device.
    QVariantMap ranges;
    // The core knows its devices by name; their limits are the host's.
    for (const Calc::Device &known : Calc::devices()) {
        const DEV::DeviceArg device(QString::fromStdString(known.device), QString::fromStdString(known.id));
        if (!supported(device))
            continue;
        const Calc::RangeLabels labels = Calc::rangeLabels(Calc::pllLimitsFrom(IPCore::getPLLRange(device)));
        for (const char *control : {"clkinSpinFrequency", "clkoutSpinFrequency", "clkoutdSpinFrequency"}) {
            QVariantMap perDevice = ranges.value(QLatin1String(control)).toMap();
            perDevice.insert(device.device(), deviceRange(control, labels));
            ranges.insert(QLatin1String(control), perDevice);
        }
    }

    QVariantMap options;
    for (const Config::Entry *entry : Config::batchOrder())
        options.insert(QLatin1String(entry->key), fromEntry(*entry, ranges));
    options.insert(QLatin1String(Config::Batch::Module),
                   described("text", QString(), QStringLiteral("Module name in the generated HDL")));
    options.insert(QLatin1String(Config::Batch::File),
                   described("text", QString(), QStringLiteral("Base name of the .ipc and HDL files")));
    options.insert(QLatin1String(Config::Batch::Dir),
                   described("text", QString(), QStringLiteral("Folder in which the module's folder is created")));
    options.insert(QLatin1String(Config::Batch::CreateMode),
                   described("bool", true,
                             QStringLiteral("true: the files go into a folder named after \"file\"; "
                                            "false: straight into \"dir\"")));
    return options;
}

} // namespace ModMirel
