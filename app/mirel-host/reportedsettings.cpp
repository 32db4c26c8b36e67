// SPDX-License-Identifier: MIT
#include "reportedsettings.h"

namespace ReportedSettings {

QMap<QString, double> wanted(const QVariantMap &settings, const QVariantMap &given)
{
    // Reported settings hold bools, a file's group the texts "true" and "false".
    const auto flag = [&settings](const char *key) {
        return settings.value(QLatin1String(key)).toBool();
    };
    const auto frequency = [&](const char *key) {
        bool asked = false;
        const double value = given.value(QLatin1String(key)).toDouble(&asked);
        return asked ? value : settings.value(QLatin1String(key)).toDouble();
    };
    const double clkout = frequency("CLKOUT_FREQ");
    QMap<QString, double> wanted;
    if (!flag("MODE_GENERAL"))
        return wanted;
    if (!flag("CLKOUT_BYPASS")) {
        wanted.insert(QStringLiteral("CLKOUT"), clkout);
        if (!flag("CLKOUTP_BYPASS"))
            wanted.insert(QStringLiteral("CLKOUTP"), clkout);
    }
    if (flag("CLKOUTD") && !flag("CLKOUTD_BYPASS"))
        wanted.insert(QStringLiteral("CLKOUTD"), frequency("CLKOUTD_FREQ"));
    return wanted;
}

QString moduleName(const QVariantMap &cfgs)
{
    return cfgs.value(QStringLiteral("module")).toString();
}

} // namespace ReportedSettings
