// SPDX-License-Identifier: MIT
#include "ipinfo.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace IPCore {

QVariantMap processIPInfoSpec(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return {};
    return doc.object().toVariantMap();
}

bool checkCommonInfo(const QVariantMap &info)
{
    for (const char *key : {"ipcore.id", "ipcore.name", "ipcore.version"}) {
        if (info.value(QLatin1String(key)).toString().trimmed().isEmpty())
            return false;
    }
    return true;
}

static bool matchesAny(const DEV::DeviceArg &device, const QStringList &patterns)
{
    for (const QString &pattern : patterns) {
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                                    QRegularExpression::CaseInsensitiveOption);
        if (re.match(device.device()).hasMatch() || re.match(device.id()).hasMatch())
            return true;
    }
    return false;
}

bool isSupported(const DEV::DeviceArg &device, const QStringList &unsupported, const QStringList &supported)
{
    if (matchesAny(device, unsupported))
        return false;
    return supported.isEmpty() || matchesAny(device, supported);
}

QVariantMap mergeVariantMaps(const QVariantMap &options, const QVariantMap &settings, bool overwrite)
{
    QVariantMap merged = options;
    for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
        if (overwrite || !merged.contains(it.key()))
            merged.insert(it.key(), it.value());
    }
    return merged;
}

} // namespace IPCore
