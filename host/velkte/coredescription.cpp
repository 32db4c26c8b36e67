// SPDX-License-Identifier: MIT
#include "coredescription.h"

#include "baseipcoreinterface.h"
#include "ipinfo.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace TE {
namespace TE_IPCore_Def {

namespace {

// The batch options of the metadata for the supported devices, with what the description adds.
QJsonObject optionsFor(QJsonObject options, const QJsonArray &devices,
                       const std::function<bool(const DEV::DeviceArg &)> &supported, const QVariantMap &described)
{
    QStringList kept;
    for (const QJsonValue &device : devices) {
        const QJsonObject known = device.toObject();
        if (supported(DEV::DeviceArg(known.value(QLatin1String("device")).toString(),
                                     known.value(QLatin1String("part")).toString())))
            kept << known.value(QLatin1String("device")).toString();
    }
    for (auto it = options.begin(); it != options.end(); ++it) {
        QJsonObject option = it.value().toObject();
        if (!option.contains(QLatin1String("ranges")))
            continue;
        const QJsonObject ranges = option.value(QLatin1String("ranges")).toObject();
        QJsonObject supportedRanges;
        for (const QString &device : kept) {
            if (ranges.contains(device))
                supportedRanges.insert(device, ranges.value(device));
        }
        option.insert(QStringLiteral("ranges"), supportedRanges.isEmpty() ? QJsonValue() : QJsonValue(supportedRanges));
        it.value() = option;
    }
    for (auto it = described.begin(); it != described.end(); ++it)
        options.insert(it.key(), QJsonValue::fromVariant(it.value()));
    return options;
}

} // namespace

CoreDescription::Reading CoreDescription::read(const QJsonObject &metaData, const QString &folder, CoreDescription *core)
{
    const QJsonObject ipcore
            = metaData.value(QLatin1String("MetaData")).toObject().value(QLatin1String("ipcore")).toObject();
    const QString file = ipcore.value(QLatin1String("description")).toString();
    if (ipcore.value(QLatin1String("schema")).toString() != QLatin1String(Schema) || file.isEmpty()
        || !ipcore.value(QLatin1String("devices")).isArray() || !ipcore.value(QLatin1String("options")).isString())
        return NotOffered;
    QVariantMap info = IPCore::processIPInfoSpec(folder + QLatin1Char('/') + file);
    if (!IPCore::checkCommonInfo(info))
        return Refused;
    const QStringList unsupported = info.value(QStringLiteral("ipcore.device.unsupported")).toStringList();
    const QStringList supported = info.value(QStringLiteral("ipcore.device.supported")).toStringList();
    core->id = info.value(QStringLiteral("ipcore.id")).toString();
    core->name = info.value(QStringLiteral("ipcore.name")).toString();
    core->version = info.value(QStringLiteral("ipcore.version")).toString();
    core->category = info.value(QStringLiteral("ipcore.category")).toStringList();
    core->summary = info.value(QStringLiteral("ipcore.doc.summary")).toString();
    core->isSupported = [unsupported, supported](const DEV::DeviceArg &device) {
        return IPCore::isSupported(device, unsupported, supported);
    };
    // The options' text stays in the metadata's own storage until someone asks for it.
    core->options = [text = ipcore.value(QLatin1String("options")),
                     devices = ipcore.value(QLatin1String("devices")).toArray(), supports = core->isSupported,
                     described = info.value(QStringLiteral("ipcore.options")).toMap()] {
        return optionsFor(QJsonDocument::fromJson(text.toString().toUtf8()).object(), devices, supports, described);
    };
    return Read;
}

CoreDescription CoreDescription::of(BaseIPCoreInterface &core)
{
    return {core.id(),
            core.name(),
            core.version(),
            core.category(),
            core.summary(),
            [&core](const DEV::DeviceArg &device) { return core.isSupported(device); },
            [&core] {
                return QJsonObject::fromVariantMap(core.options());
            }};
}

} // namespace TE_IPCore_Def
} // namespace TE
