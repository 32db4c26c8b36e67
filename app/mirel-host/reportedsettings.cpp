// SPDX-License-Identifier: MIT
#include "reportedsettings.h"

namespace ReportedSettings {

Wanted wanted(const QVariantMap &cfgs)
{
    Wanted w;
    w.general = cfgs.value(QStringLiteral("MODE_GENERAL")).toBool();
    w.clkout = cfgs.value(QStringLiteral("CLKOUT_FREQ")).toDouble();
    w.clkoutd = cfgs.value(QStringLiteral("CLKOUTD_FREQ")).toDouble();
    return w;
}

QString moduleName(const QVariantMap &cfgs)
{
    return cfgs.value(QStringLiteral("module")).toString();
}

} // namespace ReportedSettings
