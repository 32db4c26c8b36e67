// SPDX-License-Identifier: MIT
#include "pluginhost.h"

#include <echo.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

using TE::TE_IPCore_Def::IPPlugin;

PluginHost::~PluginHost()
{
    // Cores are destroyed while their library is still loaded.
    m_cores.clear();
}

QString PluginHost::defaultPluginDir()
{
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString buildTree = bin.absoluteFilePath(QStringLiteral("../plugins/mirel"));
    return QDir(buildTree).exists() ? buildTree
                                    : bin.absoluteFilePath(QStringLiteral("../" MIREL_INSTALLED_PLUGIN_DIR));
}

bool PluginHost::load(const QString &pluginDir, QString *error)
{
    const QDir dir(pluginDir);
    if (!dir.exists()) {
        *error = QStringLiteral("plug-in folder '%1' does not exist").arg(Utils::echo(pluginDir));
        return false;
    }
    QString lastError = QStringLiteral("no plug-in library in '%1'").arg(Utils::echo(dir.absolutePath()));
    const QStringList entries = dir.entryList(QDir::Files, QDir::Name);
    for (const QString &entry : entries) {
        const QString path = dir.absoluteFilePath(entry);
        if (!QLibrary::isLibrary(path))
            continue;
        auto loader = std::make_unique<QPluginLoader>(path);
        QObject *instance = loader->instance();
        if (!instance) {
            lastError = Utils::echo(loader->errorString(), 400);
            continue;
        }
        auto *plugin = qobject_cast<IPPlugin *>(instance);
        if (!plugin) {
            lastError = QStringLiteral("'%1' is not an IP plug-in").arg(Utils::echo(entry));
            continue;
        }
        plugin->pluginDir = QFileInfo(path).absolutePath();
        const QList<TE::TE_IPCore_Def::BaseIPCoreInterface *> cores = plugin->ipCores();
        if (cores.isEmpty()) {
            lastError = QStringLiteral("'%1' offers no IP core (its description was refused)").arg(Utils::echo(entry));
            continue;
        }
        for (auto *core : cores)
            m_cores.emplace_back(core);
        m_loader = std::move(loader);
        return true;
    }
    *error = lastError;
    return false;
}
