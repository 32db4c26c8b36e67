// SPDX-License-Identifier: MIT
#pragma once

#include <baseipcoreinterface.h>
#include <coredescription.h>
#include <ipplugin.h>

#include <QPluginLoader>
#include <QString>

#include <memory>
#include <vector>

// Loads IP plug-ins from a folder the way the IP-core generator does: plug-in
// instance, interface cast, pluginDir, ipCores. Owns the cores it was handed. For the
// commands that only show a core, reads the core's description from the plug-in's
// metadata instead, without loading it.
class PluginHost
{
public:
    PluginHost() = default;
    ~PluginHost();
    PluginHost(const PluginHost &) = delete;
    PluginHost &operator=(const PluginHost &) = delete;

    // False with a one-line reason when no IP plug-in offering a core is found.
    bool load(const QString &pluginDir, QString *error);
    // As load(), for a command that only shows the core: a plug-in whose metadata describes
    // its core is not loaded, and neither are the libraries it needs (the widget libraries
    // among them); its core's description is read from the metadata and the description
    // file beside it, and refused where the core would refuse it. Any other library is
    // loaded as load() loads it, and its core asked.
    bool describe(const QString &pluginDir, QString *error);

    TE::TE_IPCore_Def::BaseIPCoreInterface *core() const { return m_cores.empty() ? nullptr : m_cores.front().get(); }
    // After describe(): the core's answers.
    const TE::TE_IPCore_Def::CoreDescription &description() const { return m_description; }

    static QString defaultPluginDir();
    // The running program's folder, every symbolic link resolved.
    static QString programDir();

private:
    bool find(const QString &pluginDir, bool describeOnly, QString *error);
    // Loads the library and takes its cores; false with the reason when it offers none.
    bool loadFrom(const QString &path, QString *lastError);

    std::unique_ptr<QPluginLoader> m_loader;
    std::vector<std::unique_ptr<TE::TE_IPCore_Def::BaseIPCoreInterface>> m_cores;
    TE::TE_IPCore_Def::CoreDescription m_description;
};
