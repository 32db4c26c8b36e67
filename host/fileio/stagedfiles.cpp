// SPDX-License-Identifier: MIT
#include "stagedfiles.h"

#include "commitrecord.h"

#include <echo.h>

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileIO {

namespace {

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

QString lockProblem(ModuleLock::Outcome outcome, const QString &module)
{
    return outcome == ModuleLock::Busy
                   ? QStringLiteral(
                             "The module \"%1\" is being written by another run; try again when it has finished.")
                             .arg(module)
                   : QStringLiteral("The module \"%1\" cannot be locked for writing.").arg(module);
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

    const QByteArray lockName = CommitRecord::lockName(encoded(stem));
    if (!check({QFile::decodeName(lockName)}, problem)) {
        discard();
        return false;
    }
    const ModuleLock::Outcome locked = m_lock.take(m_dir, lockName, lockTimeoutMs());
    if (locked != ModuleLock::Taken)
        return refuse(lockProblem(locked, shown(stem)));
    QByteArray failed;
    if (!CommitRecord::settle(m_dir, encoded(stem), &failed))
        return refuse(QStringLiteral("Cannot save \"%1\": %2").arg(shown(QFile::decodeName(failed)), systemError()));
    m_token = CommitRecord::newToken();
    m_count = 0;
    return true;
}

bool StagedFiles::settle(const QString &folder, const QString &stem, QString *problem, ModuleLock *hold)
{
    // A name no module can have, or a folder that is not there, leaves nothing to
    // settle; the read says what is wrong.
    const bool plain = !stem.isEmpty() && !stem.contains(QLatin1Char('/')) && !stem.contains(QChar(0));
    const int dir = plain ? ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    if (dir < 0)
        return true;
    const bool pending = CommitRecord::pending(dir, encoded(stem));
    bool settled = true;
    if (pending || hold) {
        ModuleLock own;
        ModuleLock &lock = hold ? *hold : own;
        const ModuleLock::Outcome locked = lock.take(dir, CommitRecord::lockName(encoded(stem)), lockTimeoutMs());
        const bool readOnly = locked == ModuleLock::Failed && (errno == EACCES || errno == EROFS) && !pending;
        QByteArray failed;
        if (locked != ModuleLock::Taken && !readOnly)
            *problem = lockProblem(locked, Utils::echo(folder + QLatin1Char('/') + stem, 120));
        else if (locked == ModuleLock::Taken && !CommitRecord::settle(dir, encoded(stem), &failed))
            *problem = QStringLiteral("Cannot save \"%1\": %2")
                               .arg(Utils::echo(folder + QLatin1Char('/') + QFile::decodeName(failed), 120),
                                    systemError());
        settled = (locked == ModuleLock::Taken || readOnly) && failed.isEmpty();
    }
    ::close(dir);
    return settled;
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
    const QByteArray temporary = CommitRecord::temporaryName(encoded(m_stem), m_token, ++m_count);
    const int fd = openat(m_dir, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
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
    // One file needs no record: its rename alone is the commit.
    if (m_staged.size() > 1 && !writeRecord(problem)) {
        discard();
        return false;
    }
    for (const Staged &staged : m_staged) {
        if (renameat(m_dir, staged.temporary.constData(), m_dir, encoded(staged.name).constData()) != 0) {
            *problem = QStringLiteral("Cannot save \"%1\": %2").arg(shown(staged.name), systemError());
            // Past the record the set is the new one: the next run makes the renames left.
            if (m_staged.size() > 1)
                m_staged.clear();
            discard();
            return false;
        }
    }
    // The renames, and the folders this write created, are recorded on disk too.
    const bool synced = ::fsync(m_dir) == 0;
    if (synced)
        unlinkat(m_dir, CommitRecord::recordName(encoded(m_stem)).constData(), 0);
    else
        *problem = QStringLiteral("Cannot save \"%1\": %2").arg(Utils::echo(m_folder, 120), systemError());
    m_staged.clear();
    for (auto &created : m_created) {
        ::fsync(created.first);
        ::close(created.first);
    }
    m_created.clear(); // the folders now hold the module
    discard();
    return synced;
}

bool StagedFiles::writeRecord(QString *problem)
{
    CommitRecord::Renames renames;
    for (const Staged &staged : m_staged)
        renames.emplace_back(staged.temporary, encoded(staged.name));
    const QByteArray temporary = CommitRecord::temporaryName(encoded(m_stem), m_token, 0);
    const QByteArray record = CommitRecord::recordName(encoded(m_stem));
    const int fd = openat(m_dir, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    bool written = fd >= 0 && writeAll(fd, CommitRecord::text(renames)) && ::fdatasync(fd) == 0;
    const int error = errno;
    if (fd >= 0 && ::close(fd) != 0 && written)
        written = false;
    else
        errno = error;
    // Synced, renamed into place and the folder synced: the commit point.
    if (written && renameat(m_dir, temporary.constData(), m_dir, record.constData()) == 0) {
        if (::fsync(m_dir) == 0)
            return true;
        const int syncError = errno;
        unlinkat(m_dir, record.constData(), 0);
        errno = syncError;
    }
    *problem = QStringLiteral("Cannot save \"%1\": %2").arg(shown(QFile::decodeName(record)), systemError());
    unlinkat(m_dir, temporary.constData(), 0);
    return false;
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
