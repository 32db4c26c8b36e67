// SPDX-License-Identifier: MIT
#include "pluginhost.h"

#include <echo.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

using TE::TE_IPCore_Def::CoreDescription;
using TE::TE_IPCore_Def::IPPlugin;

PluginHost::~PluginHost()
{
    // Cores are destroyed while their library is still loaded.
    m_description = {};
    m_cores.clear();
}

QString PluginHost::programDir()
{
    // The kernel names the program with every link resolved already, which
    // applicationDirPath() would work out again with a system call per folder.
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || size_t(length) >= sizeof path)
        return QCoreApplication::applicationDirPath();
    const QString file = QFile::decodeName(QByteArray(path, int(length)));
    return file.left(qMax(1, file.lastIndexOf(QLatin1Char('/'))));
}

QString PluginHost::defaultPluginDir()
{
    return QDir::cleanPath(programDir() + QStringLiteral("/../" MIREL_INSTALLED_PLUGIN_DIR));
}

bool PluginHost::load(const QString &pluginDir, QString *error)
{
    return find(pluginDir, false, error);
}

bool PluginHost::describe(const QString &pluginDir, QString *error)
{
    return find(pluginDir, true, error);
}

namespace {

// Whether Qt would load a library with this metadata at all (QLibrary's own check of the
// Qt version it was built with); one it would refuse is left to Qt, which says why.
bool qtTakes(const QJsonObject &metaData)
{
    const auto built = uint(metaData.value(QLatin1String("version")).toDouble());
    return (built & 0xff0000) == (QT_VERSION & 0xff0000) && (built & 0x00ff00) <= (QT_VERSION & 0x00ff00);
}

bool isFolder(const QByteArray &path)
{
    struct stat info;
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder's library files in name order, as QDir::entryList(QDir::Files, QDir::Name)
// would give them (no hidden names; regular files and links to them), in one pass over
// the folder: Qt's listing builds a file record for every entry, a part a command that
// only shows the core notices. False when the folder does not exist.
bool libraryFiles(const QString &folder, QStringList *names)
{
    const QByteArray path = QFile::encodeName(folder);
    DIR *dir = opendir(path.constData());
    if (!dir)
        return errno != ENOENT && errno != ENOTDIR && isFolder(path);
    while (const dirent *entry = readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        // A name the locale cannot spell back names no file Qt could open.
        if (name.startsWith(QLatin1Char('.')) || !QLibrary::isLibrary(name) || QFile::encodeName(name) != entry->d_name)
            continue;
        struct stat info;
        if (entry->d_type != DT_REG && (fstatat(dirfd(dir), entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)))
            continue;
        names->append(name);
    }
    closedir(dir);
    std::sort(names->begin(), names->end());
    return true;
}

} // namespace

bool PluginHost::find(const QString &pluginDir, bool describeOnly, QString *error)
{
    // An empty name is the current folder, as for QDir.
    const QString folderName = pluginDir.isEmpty() ? QStringLiteral(".") : pluginDir;
    QStringList entries;
    if (!libraryFiles(folderName, &entries)) {
        *error = QStringLiteral("plug-in folder '%1' does not exist").arg(Utils::echo(pluginDir));
        return false;
    }
    const QString folder = QDir::cleanPath(QFileInfo(folderName).absoluteFilePath());
    QString lastError;
    for (const QString &entry : entries) {
        const QString path = QDir::cleanPath(folder + QLatin1Char('/') + entry);
        if (describeOnly) {
            // Reads the metadata from the file; nothing is loaded.
            const QJsonObject metaData = QPluginLoader(path).metaData();
            if (qtTakes(metaData)) {
                const CoreDescription::Reading reading = CoreDescription::read(metaData, folder, &m_description);
                if (reading == CoreDescription::Read)
                    return true;
                if (reading == CoreDescription::Refused) {
                    lastError = QStringLiteral("'%1' offers no IP core (its description was refused)")
                                        .arg(Utils::echo(entry));
                    continue;
                }
            }
        }
        if (loadFrom(path, &lastError)) {
            if (describeOnly)
                m_description = CoreDescription::of(*core());
            return true;
        }
    }
    *error = lastError.isEmpty() ? QStringLiteral("no plug-in library in '%1'").arg(Utils::echo(folder)) : lastError;
    return false;
}

bool PluginHost::loadFrom(const QString &path, QString *lastError)
{
    const QString entry = QFileInfo(path).fileName();
    auto loader = std::make_unique<QPluginLoader>(path);
    QObject *instance = loader->instance();
    if (!instance) {
        *lastError = Utils::echo(loader->errorString(), 400);
        return false;
    }
    auto *plugin = qobject_cast<IPPlugin *>(instance);
    if (!plugin) {
        *lastError = QStringLiteral("'%1' is not an IP plug-in").arg(Utils::echo(entry));
        return false;
    }
    plugin->pluginDir = QFileInfo(path).absolutePath();
    const QList<TE::TE_IPCore_Def::BaseIPCoreInterface *> cores = plugin->ipCores();
    if (cores.isEmpty()) {
        *lastError = QStringLiteral("'%1' offers no IP core (its description was refused)").arg(Utils::echo(entry));
        return false;
    }
    for (auto *core : cores)
        m_cores.emplace_back(core);
    m_loader = std::move(loader);
    return true;
}
