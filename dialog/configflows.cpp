// SPDX-License-Identifier: MIT
// Configuration file and batch options; not built yet.
#include "mireldialog.h"

namespace ModMirel {

bool Mirel_Dialog::setProperty(QVariantMap cfgs, QStringList &messagelist)
{
    Q_UNUSED(cfgs)
    messagelist << QStringLiteral("ERROR: Batch options are not available in this build.");
    return false;
}

QVariantMap Mirel_Dialog::getProperty()
{
    return {};
}

bool Mirel_Dialog::loadIPConfig(const QString &path)
{
    Q_UNUSED(path)
    return false;
}

void Mirel_Dialog::saveIPConfig()
{
}

void Mirel_Dialog::applyIPConfig(const QVariantMap &config)
{
    Q_UNUSED(config)
}

} // namespace ModMirel
