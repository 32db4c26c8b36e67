// SPDX-License-Identifier: MIT
#pragma once

#include <devicearg.h>

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace TE {
namespace TE_IPCore_Def {

// What the host asks of one IP core: its identity, and the four ways into its dialog.
class BaseIPCoreInterface
{
public:
    BaseIPCoreInterface();
    virtual ~BaseIPCoreInterface();

    virtual void createModule(const QString &dir, const DEV::DeviceArg &device) = 0;
    virtual void openModule(const QString &first, const QString &second) = 0;
    virtual bool initialize() = 0;
    virtual QString version() = 0;
    virtual QString id() = 0;
    virtual QString name() = 0;
    virtual QStringList category() = 0;
    virtual QString summary() = 0;
    virtual bool isSupported(const DEV::DeviceArg &device) = 0;
    virtual bool createModuleBatch(QVariantMap &cfgs, const DEV::DeviceArg &device, QStringList &messagelist) = 0;
    virtual bool openModuleBatch(const QString &first, const QString &second, QVariantMap &cfgs,
                                 QStringList &messagelist)
            = 0;
    virtual QVariantMap options() = 0;
    virtual QVariantMap info() = 0;

    BaseIPCoreInterface(const BaseIPCoreInterface &) = delete;
    BaseIPCoreInterface &operator=(const BaseIPCoreInterface &) = delete;
};

} // namespace TE_IPCore_Def
} // namespace TE
