// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace TE {
namespace TE_IPCore_Def {

class BaseIPCoreInterface;

// Base of every IP plug-in: the host sets pluginDir, then asks for the cores.
// The caller owns the returned cores.
class IPPlugin : public QObject
{
    Q_OBJECT
public:
    explicit IPPlugin(QObject *parent = nullptr);
    ~IPPlugin() override;

    virtual QList<BaseIPCoreInterface *> ipCores() = 0;

    QString pluginDir;
};

} // namespace TE_IPCore_Def
} // namespace TE

#define TE_IPPLUGIN_IID "TE.TE_IPCore_Def.IPPlugin/1.0"
Q_DECLARE_INTERFACE(TE::TE_IPCore_Def::IPPlugin, TE_IPPLUGIN_IID)
