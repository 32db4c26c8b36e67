// SPDX-License-Identifier: MIT
#pragma once

#include <baseipcoreinterface.h>
#include <ipplugin.h>

#include <QPluginLoader>
#include <QString>

#include <memory>
#include <vector>

// Loads IP plug-ins from a folder the way the IP-core generator does: plug-in
// instance, interface cast, pluginDir, ipCores. Owns the cores it was handed.
class PluginHost
{
public:
    PluginHost() = default;
    ~PluginHost();
    PluginHost(const PluginHost &) = delete;
    PluginHost &operator=(const PluginHost &) = delete;

    // False with a one-line reason when no IP plug-in offering a core is found.
    bool load(const QString &pluginDir, QString *error);

    TE::TE_IPCore_Def::BaseIPCoreInterface *core() const { return m_cores.empty() ? nullptr : m_cores.front().get(); }

    static QString defaultPluginDir();

private:
    std::unique_ptr<QPluginLoader> m_loader;
    std::vector<std::unique_ptr<TE::TE_IPCore_Def::BaseIPCoreInterface>> m_cores;
};
