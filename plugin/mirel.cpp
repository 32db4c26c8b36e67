// SPDX-License-Identifier: MIT
#include "mirel.h"

#include "batchoptions.h"

#include "mireldialog.h"

#include <ipinfo.h>
#include <viewmanager.h>

#include <memory>

namespace ModMirel {

MIREL::MIREL(const QString &dir)
    : ipDir(dir)
{}

MIREL::~MIREL() = default;

bool MIREL::initialize()
{
    ipInfo = IPCore::processIPInfoSpec(ipDir + QStringLiteral("/" MIREL_DESCRIPTION_FILE));
    if (!IPCore::checkCommonInfo(ipInfo))
        return false;
    // Hosts compare versions as text, whatever type the description used.
    ipInfo.insert(QStringLiteral("ipcore.version"), version());
    return true;
}

QString MIREL::version()
{
    return ipInfo.value(QStringLiteral("ipcore.version")).toString();
}

QString MIREL::id()
{
    return ipInfo.value(QStringLiteral("ipcore.id")).toString();
}

QString MIREL::name()
{
    return ipInfo.value(QStringLiteral("ipcore.name")).toString();
}

QStringList MIREL::category()
{
    return ipInfo.value(QStringLiteral("ipcore.category")).toStringList();
}

QString MIREL::summary()
{
    return ipInfo.value(QStringLiteral("ipcore.doc.summary")).toString();
}

bool MIREL::isSupported(const DEV::DeviceArg &device)
{
    return IPCore::isSupported(device, ipInfo.value(QStringLiteral("ipcore.device.unsupported")).toStringList(),
                               ipInfo.value(QStringLiteral("ipcore.device.supported")).toStringList());
}

// The key table describes every batch option; what the description file adds wins.
QVariantMap MIREL::options()
{
    QVariantMap options = batchOptions([this](const DEV::DeviceArg &device) { return isSupported(device); });
    const QVariantMap described = ipInfo.value(QStringLiteral("ipcore.options")).toMap();
    for (auto it = described.begin(); it != described.end(); ++it)
        options.insert(it.key(), it.value());
    return options;
}

QVariantMap MIREL::info()
{
    return ipInfo;
}

void MIREL::createModule(const QString &dir, const DEV::DeviceArg &device)
{
    Mirel_Dialog dialog(ipInfo, Core::ViewManager::dialogParent());
    dialog.setCreating(dir, device);
    dialog.exec(); // generation happens inside the dialog's OK handling
}

void MIREL::openModule(const QString &first, const QString &second)
{
    Mirel_Dialog dialog(ipInfo, Core::ViewManager::dialogParent());
    if (dialog.setOpening(first, second))
        dialog.exec();
}

bool MIREL::createModuleBatch(QVariantMap &cfgs, const DEV::DeviceArg &device, QStringList &messagelist)
{
    Mirel_Dialog dialog(ipInfo, nullptr);
    dialog.setCreating(cfgs.value(QStringLiteral("dir")).toString(), device);
    if (!dialog.setProperty(cfgs, messagelist))
        return false;
    cfgs = IPCore::mergeVariantMaps(cfgs, dialog.getProperty(), true);
    return dialog.accept(messagelist);
}

bool MIREL::openModuleBatch(const QString &first, const QString &second, QVariantMap &cfgs, QStringList &messagelist)
{
    Mirel_Dialog dialog(ipInfo, nullptr);
    // No user is there to close a box: a refused file becomes a line.
    dialog.reportToMessageList(&messagelist);
    if (!dialog.setOpening(first, second))
        return false;
    cfgs = dialog.getProperty();
    return dialog.accept(messagelist);
}

} // namespace ModMirel
