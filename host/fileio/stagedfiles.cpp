// SPDX-License-Identifier: MIT
#include "stagedfiles.h"

#include <echo.h>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileIO {

namespace {

const char TemporaryMark[] = ".staged-";

QByteArray encoded(const QString &name)
{
    return QFile::encodeName(name);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Opens the folder `name` below `parent` without following a link, creating it
// when missing; a created folder is recorded so that a discarded write removes it.
int openFolderBelow(int parent, const QByteArray &name, std::vector<std::pair<int, QByteArray>> *created)
{
    int fd = openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && mkdirat(parent, name.constData(), 0777) == 0) {
        created->emplace_back(fcntl(parent, F_DUPFD_CLOEXEC, 0), name);
        fd = openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    return fd;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

StagedFiles::StagedFiles() = default;

StagedFiles::~StagedFiles()
{
    discard();
}

int StagedFiles::lockTimeoutMs()
{
    return 30000;
}

QString StagedFiles::shown(const QString &name) const
{
    return Utils::echo(m_folder + QLatin1Char('/') + name, 120);
}

bool StagedFiles::open(const QString &base, const QString &sub, const QString &stem, QString *problem)
{
    discard();
    m_folder = sub.isEmpty() ? base : base + QLatin1Char('/') + sub;
    m_stem = stem;
    const auto refuse = [&](const QString &text) {
        *problem = text;
        discard();
        return false;
    };
    const QString cannotCreate = QStringLiteral("The output directory \"%1\" cannot be created.")
                                         .arg(Utils::echo(m_folder, 120));
    if (base.isEmpty())
        return refuse(QStringLiteral("The output directory is empty."));
    if (base.contains(QChar(0)) || sub.contains(QChar(0)) || stem.isEmpty() || stem.contains(QLatin1Char('/')))
        return refuse(cannotCreate);

    // The directory the user chose may be a link: start at its nearest existing
    // ancestor and create the rest below it.
    QString existing = QFileInfo(base).absoluteFilePath();
    QStringList missing;
    while (!QFileInfo::exists(existing) && QFileInfo(existing).path() != existing) {
        missing.prepend(QFileInfo(existing).fileName());
        existing = QFileInfo(existing).path();
    }
    int fd = ::open(encoded(existing).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return refuse(QStringLiteral("The output path \"%1\" is not a directory.").arg(Utils::echo(existing, 120)));
    // Names inside the chosen directory are never followed as links.
    const int chosenDepth = missing.size();
    for (const QString &part : sub.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part != QLatin1String("."))
            missing << part;
    }
    for (int i = 0; i < missing.size(); ++i) {
        const QString &part = missing.at(i);
        if (part == QLatin1String("..")) {
            ::close(fd);
            return refuse(cannotCreate);
        }
        const int next = openFolderBelow(fd, encoded(part), &m_created);
        const int error = errno;
        ::close(fd);
        if (next < 0) {
            if (i >= chosenDepth && (error == ELOOP || error == ENOTDIR))
                return refuse(
                        QStringLiteral(
                                "The module folder \"%1\" is a link or not a directory; nothing is written through it.")
                                .arg(Utils::echo(m_folder, 120)));
            return refuse(cannotCreate);
        }
        fd = next;
    }
    m_dir = fd;

    const QString lockName = QLatin1Char('.') + stem + QStringLiteral(".lock");
    if (!check({lockName}, problem)) {
        discard();
        return false;
    }
    const ModuleLock::Outcome locked = m_lock.take(m_dir, encoded(lockName), lockTimeoutMs());
    if (locked != ModuleLock::Taken)
        return refuse(
                locked == ModuleLock::Busy
                        ? QStringLiteral(
                                  "The module \"%1\" is being written by another run; try again when it has finished.")
                                  .arg(shown(stem))
                        : QStringLiteral("The module \"%1\" cannot be locked for writing.").arg(shown(stem)));
    removeStale();
    return true;
}

void StagedFiles::removeStale() const
{
    // Only temporaries of this module: another module's run may be writing its own.
    static const QRegularExpression temporary(QStringLiteral("^\\.(.+)\\.staged-[A-Za-z0-9]{6}$"));
    DIR *listing = fdopendir(fcntl(m_dir, F_DUPFD_CLOEXEC, 0));
    if (!listing)
        return;
    while (const dirent *entry = readdir(listing)) {
        const QString name = QFile::decodeName(entry->d_name);
        const QRegularExpressionMatch match = temporary.match(name);
        struct stat info;
        if (match.hasMatch() && match.captured(1).startsWith(m_stem)
            && fstatat(m_dir, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            unlinkat(m_dir, entry->d_name, 0);
    }
    closedir(listing);
}

bool StagedFiles::check(const QStringList &names, QString *problem) const
{
    for (const QString &name : names) {
        struct stat info;
        const QByteArray path = encoded(name);
        if (fstatat(m_dir, path.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue;
            *problem = QStringLiteral("Cannot write \"%1\": %2").arg(shown(name), systemError());
            return false;
        }
        if (!S_ISREG(info.st_mode)) {
            *problem = QStringLiteral("\"%1\" is a link or not a regular file; it is not overwritten.").arg(shown(name));
            return false;
        }
        if (faccessat(m_dir, path.constData(), W_OK, 0) != 0) {
            *problem = QStringLiteral("\"%1\" is not writable.").arg(shown(name));
            return false;
        }
    }
    return true;
}

bool StagedFiles::add(const QString &name, const QByteArray &bytes, QString *problem)
{
    if (!isOpen()) {
        *problem = QStringLiteral("Cannot write \"%1\": the output folder is not open.").arg(Utils::echo(name));
        return false;
    }
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QChar(0))) {
        *problem = QStringLiteral("Cannot write \"%1\": not a plain file name.").arg(shown(name));
        return false;
    }
    if (!check({name}, problem))
        return false;
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary = '.' + encoded(name) + TemporaryMark;
        for (int i = 0; i < 6; ++i)
            temporary += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
        fd = openat(m_dir, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        *problem = QStringLiteral("Cannot write \"%1\": %2").arg(shown(name), systemError());
        return false;
    }
    // A replaced file keeps its permissions.
    struct stat info;
    if (fstatat(m_dir, encoded(name).constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
        fchmod(fd, info.st_mode & 07777);
    // On disk before the rename makes it the file, so that a crash leaves the old file or the whole new one.
    const bool written = writeAll(fd, bytes) && ::fdatasync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !written) {
        errno = written ? errno : error;
        *problem = QStringLiteral("Cannot write \"%1\": %2").arg(shown(name), systemError());
        unlinkat(m_dir, temporary.constData(), 0);
        return false;
    }
    for (auto it = m_staged.begin(); it != m_staged.end(); ++it) {
        if (it->name == name) {
            unlinkat(m_dir, it->temporary.constData(), 0);
            m_staged.erase(it);
            break;
        }
    }
    m_staged.push_back({name, temporary});
    return true;
}

bool StagedFiles::commit(QString *problem)
{
    QStringList names;
    for (const Staged &staged : m_staged)
        names << staged.name;
    if (!isOpen() || !check(names, problem)) {
        if (!isOpen())
            *problem = QStringLiteral("Cannot save the module: the output folder is not open.");
        discard();
        return false;
    }
    for (const Staged &staged : m_staged) {
        if (renameat(m_dir, staged.temporary.constData(), m_dir, encoded(staged.name).constData()) != 0) {
            *problem = QStringLiteral("Cannot save \"%1\": %2").arg(shown(staged.name), systemError());
            discard();
            return false;
        }
    }
    m_staged.clear();
    // The renames, and the folders this write created, are recorded on disk too.
    ::fsync(m_dir);
    for (auto &created : m_created) {
        ::fsync(created.first);
        ::close(created.first);
    }
    m_created.clear(); // the folders now hold the module
    discard();
    return true;
}

void StagedFiles::discard()
{
    for (const Staged &staged : m_staged)
        unlinkat(m_dir, staged.temporary.constData(), 0);
    m_staged.clear();
    m_lock.release();
    if (m_dir >= 0)
        ::close(m_dir);
    m_dir = -1;
    // Folders made for this write go again, innermost first; one that is not empty stays.
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) {
        unlinkat(it->first, it->second.constData(), AT_REMOVEDIR);
        ::close(it->first);
    }
    m_created.clear();
}

} // namespace FileIO
