// SPDX-License-Identifier: MIT
#pragma once

#include <baseipcoreinterface.h>

namespace ModMirel {

// The MIREL core: answers the host's identity queries from its IP description
// and opens its configuration dialog, shown or driven in batch.
class MIREL : public TE::TE_IPCore_Def::BaseIPCoreInterface
{
public:
    explicit MIREL(const QString &dir);
    ~MIREL() override;

    void createModule(const QString &dir, const DEV::DeviceArg &device) override;
    void openModule(const QString &first, const QString &second) override;
    bool initialize() override;
    QString version() override;
    QString id() override;
    QString name() override;
    QStringList category() override;
    QString summary() override;
    bool isSupported(const DEV::DeviceArg &device) override;
    bool createModuleBatch(QVariantMap &cfgs, const DEV::DeviceArg &device, QStringList &messagelist) override;
    bool openModuleBatch(const QString &first, const QString &second, QVariantMap &cfgs,
                         QStringList &messagelist) override;
    QVariantMap options() override;
    QVariantMap info() override;

private:
    QVariantMap ipInfo;
    QString ipDir;
};

} // namespace ModMirel
