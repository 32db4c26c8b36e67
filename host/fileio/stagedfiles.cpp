// SPDX-License-Identifier: MIT
#include "stagedfiles.h"

#include "commitgroup.h"
#include "commitrecord.h"

#include <echo.h>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <numeric>
#include <sys/stat.h>
#include <thread>
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

// Runs job(i) for every i below count on several threads: each job waits for the disk,
// and syncs waiting side by side share the device's cache flushes.
void inParallel(size_t count, const std::function<void(size_t)> &job)
{
    constexpr size_t MaxThreads = 4;
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t i = next++; i < count; i = next++)
            job(i);
    };
    std::vector<std::thread> threads;
    for (size_t t = 1; t < std::min(count, MaxThreads); ++t)
        threads.emplace_back(work);
    work();
    for (std::thread &thread : threads)
        thread.join();
}

// The errno of each descriptor's sync, 0 where it succeeded.
std::vector<int> syncAll(const std::vector<int> &fds, bool dataOnly)
{
    std::vector<int> errors(fds.size(), 0);
    inParallel(fds.size(), [&](size_t i) {
        if ((dataOnly ? ::fdatasync(fds[i]) : ::fsync(fds[i])) != 0)
            errors[i] = errno;
    });
    return errors;
}

// The same for many descriptors at once: one syncfs() per file system holding them, which
// writes every dirty file and folder there and flushes the device once, where a sync per
// file flushes it per file. A file system whose syncfs() fails has its files synced one by
// one, so that each error is its own file's.
std::vector<int> syncMany(const std::vector<int> &fds, bool dataOnly)
{
    constexpr size_t FewFiles = 8;
    if (fds.size() <= FewFiles)
        return syncAll(fds, dataOnly);
    std::vector<int> errors(fds.size(), 0);
    std::vector<std::pair<dev_t, std::vector<size_t>>> devices;
    for (size_t i = 0; i < fds.size(); ++i) {
        struct stat info;
        if (fstat(fds[i], &info) != 0) {
            errors[i] = errno;
            continue;
        }
        auto device = std::find_if(devices.begin(), devices.end(),
                                   [&](const auto &known) { return known.first == info.st_dev; });
        if (device == devices.end())
            device = devices.insert(devices.end(), {info.st_dev, {}});
        device->second.push_back(i);
    }
    for (const auto &[device, members] : devices) {
        if (::syncfs(fds[members.front()]) == 0)
            continue;
        std::vector<int> own;
        for (size_t i : members)
            own.push_back(fds[i]);
        const std::vector<int> each = syncAll(own, dataOnly);
        for (size_t k = 0; k < members.size(); ++k)
            errors[members[k]] = each[k];
    }
    return errors;
}

// Syncs the folder of each of `items` (folderOf gives its descriptor), each folder
// once however many items it holds; the errno of each item's folder, 0: synced.
std::vector<int> syncFolders(const std::vector<size_t> &items, const std::function<int(size_t)> &folderOf)
{
    std::vector<std::pair<dev_t, ino_t>> ids;
    std::vector<int> distinct;
    std::vector<size_t> index(items.size());
    for (size_t k = 0; k < items.size(); ++k) {
        struct stat info;
        const int fd = folderOf(items[k]);
        const std::pair<dev_t, ino_t> id = fstat(fd, &info) == 0 ? std::pair{info.st_dev, info.st_ino}
                                                                 : std::pair<dev_t, ino_t>{0, 0};
        const auto found = std::find(ids.begin(), ids.end(), id);
        index[k] = size_t(found - ids.begin());
        if (found == ids.end()) {
            ids.push_back(id);
            distinct.push_back(fd);
        }
    }
    const std::vector<int> synced = syncMany(distinct, false);
    std::vector<int> errors(items.size());
    for (size_t k = 0; k < items.size(); ++k)
        errors[k] = synced[index[k]];
    return errors;
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
    // This run may hold the module itself, in a group not yet committed.
    if (CommitGroup *group = CommitGroup::active())
        group->commitIfHolding(m_dir, stem);
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
    // A replaced file keeps its permissions.
    struct stat info;
    const int mode = fstatat(m_dir, encoded(name).constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)
                             ? int(info.st_mode & 07777)
                             : -1;
    m_staged.erase(std::remove_if(m_staged.begin(), m_staged.end(),
                                  [&](const Staged &staged) { return staged.name == name; }),
                   m_staged.end());
    m_staged.push_back({name, CommitRecord::temporaryName(encoded(m_stem), m_token, ++m_count), bytes, mode});
    return true;
}

// Creates the temporary and writes its bytes, starting their way to the disk; the errno
// of a failure (the temporary then removed), 0 when written.
int StagedFiles::writeTemporary(Staged &staged) const
{
    staged.fd = openat(m_dir, staged.temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (staged.fd < 0)
        return errno;
    if ((staged.mode < 0 || fchmod(staged.fd, mode_t(staged.mode)) == 0) && writeAll(staged.fd, staged.bytes)) {
        ::sync_file_range(staged.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        staged.bytes.clear();
        return 0;
    }
    const int error = errno;
    ::close(staged.fd);
    staged.fd = -1;
    unlinkat(m_dir, staged.temporary.constData(), 0);
    return error;
}

bool StagedFiles::commit(QString *problem)
{
    std::vector<QString> problems;
    commitAll({this}, &problems);
    *problem = problems.front();
    return problem->isEmpty();
}

bool StagedFiles::fail(QString *problem, const QString &text)
{
    *problem = text;
    discard();
    return false;
}

// Closes the temporaries, whose data the commit synced; `errors` holds each one's
// sync errno (0: on disk).
bool StagedFiles::closeSynced(const std::vector<int> &errors, QString *problem)
{
    for (size_t j = 0; j < m_staged.size(); ++j) {
        Staged &staged = m_staged[j];
        const bool closed = staged.fd < 0 || ::close(staged.fd) == 0;
        staged.fd = -1;
        if (errors[j] != 0 || !closed) {
            errno = errors[j] != 0 ? errors[j] : errno;
            return fail(problem, QStringLiteral("Cannot write \"%1\": %2").arg(shown(staged.name), systemError()));
        }
    }
    return true;
}

bool StagedFiles::stageRecord(QString *problem)
{
    CommitRecord::Renames renames;
    for (const Staged &staged : m_staged)
        renames.emplace_back(staged.temporary, encoded(staged.name));
    const QByteArray temporary = CommitRecord::temporaryName(encoded(m_stem), m_token, 0);
    m_record = openat(m_dir, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (m_record >= 0 && writeAll(m_record, CommitRecord::text(renames))) {
        ::sync_file_range(m_record, 0, 0, SYNC_FILE_RANGE_WRITE);
        return true;
    }
    const QString text = QStringLiteral("Cannot save \"%1\": %2")
                                 .arg(shown(QFile::decodeName(CommitRecord::recordName(encoded(m_stem)))),
                                      systemError());
    if (m_record >= 0)
        ::close(m_record);
    m_record = -1;
    unlinkat(m_dir, temporary.constData(), 0);
    return fail(problem, text);
}

// Synced (`error` is its sync's errno, 0: on disk) and renamed into place; with the
// folder synced after, the commit point.
bool StagedFiles::placeRecord(int error, QString *problem)
{
    const QByteArray temporary = CommitRecord::temporaryName(encoded(m_stem), m_token, 0);
    const QByteArray record = CommitRecord::recordName(encoded(m_stem));
    bool written = error == 0;
    if (::close(m_record) != 0 && written)
        written = false;
    else
        errno = error;
    m_record = -1;
    if (written && renameat(m_dir, temporary.constData(), m_dir, record.constData()) == 0)
        return true;
    const QString text = QStringLiteral("Cannot save \"%1\": %2").arg(shown(QFile::decodeName(record)), systemError());
    unlinkat(m_dir, temporary.constData(), 0);
    return fail(problem, text);
}

bool StagedFiles::renameAll(QString *problem)
{
    for (const Staged &staged : m_staged) {
        if (renameat(m_dir, staged.temporary.constData(), m_dir, encoded(staged.name).constData()) != 0) {
            const QString text = QStringLiteral("Cannot save \"%1\": %2").arg(shown(staged.name), systemError());
            // Past the record the set is the new one: the next run makes the renames left.
            if (m_staged.size() > 1)
                m_staged.clear();
            return fail(problem, text);
        }
    }
    return true;
}

// The folders this write created hold the module now.
void StagedFiles::finish()
{
    m_staged.clear();
    for (auto &created : m_created)
        ::close(created.first);
    m_created.clear();
    discard();
}

void StagedFiles::commitAll(const std::vector<StagedFiles *> &sets, std::vector<QString> *problems)
{
    problems->assign(sets.size(), QString());
    const auto alive = [&](size_t i) {
        return sets[i]->isOpen();
    };
    for (size_t i = 0; i < sets.size(); ++i) {
        StagedFiles &set = *sets[i];
        QStringList names;
        for (const Staged &staged : set.m_staged)
            names << staged.name;
        if (!set.isOpen())
            set.fail(&(*problems)[i], QStringLiteral("Cannot save the module: the output folder is not open."));
        else if (!set.check(names, &(*problems)[i]))
            set.discard();
    }
    // Every set's files are written and sent to the disk at once, then all of them are
    // synced in one pass; a file that could not be written keeps its write's errno.
    std::vector<std::pair<StagedFiles *, Staged *>> staged;
    for (StagedFiles *set : sets) {
        for (Staged &file : set->m_staged)
            staged.emplace_back(set, &file);
    }
    std::vector<int> written(staged.size(), 0);
    // One thread writes: the program's own thread is making the next module on the other core.
    for (size_t k = 0; k < staged.size(); ++k)
        written[k] = staged[k].first->writeTemporary(*staged[k].second);
    std::vector<int> files;
    for (const auto &file : staged)
        files.push_back(file.second->fd);
    std::vector<int> errors = syncMany(files, true);
    for (size_t k = 0; k < staged.size(); ++k) {
        if (written[k] != 0)
            errors[k] = written[k];
    }
    auto error = errors.begin();
    for (size_t i = 0; i < sets.size(); ++i) {
        const size_t count = sets[i]->m_staged.size();
        const std::vector<int> own(error, error + std::ptrdiff_t(count));
        error += std::ptrdiff_t(count);
        // One file needs no record: its rename alone is the commit.
        if (alive(i) && sets[i]->closeSynced(own, &(*problems)[i]) && count > 1)
            sets[i]->stageRecord(&(*problems)[i]);
    }
    std::vector<int> records;
    for (const StagedFiles *set : sets) {
        if (set->m_record >= 0)
            records.push_back(set->m_record);
    }
    errors = syncMany(records, true);
    error = errors.begin();
    for (size_t i = 0; i < sets.size(); ++i) {
        if (sets[i]->m_record >= 0)
            sets[i]->placeRecord(*error++, &(*problems)[i]);
    }
    // The records' names are on disk: the commit point.
    const auto folderOf = [&](size_t i) {
        return sets[i]->m_dir;
    };
    std::vector<size_t> withRecord;
    for (size_t i = 0; i < sets.size(); ++i) {
        if (alive(i) && sets[i]->m_staged.size() > 1)
            withRecord.push_back(i);
    }
    errors = syncFolders(withRecord, folderOf);
    for (size_t k = 0; k < withRecord.size(); ++k) {
        StagedFiles &set = *sets[withRecord[k]];
        if (errors[k] == 0)
            continue;
        const QByteArray record = CommitRecord::recordName(encoded(set.m_stem));
        unlinkat(set.m_dir, record.constData(), 0);
        errno = errors[k];
        set.fail(&(*problems)[withRecord[k]],
                 QStringLiteral("Cannot save \"%1\": %2").arg(set.shown(QFile::decodeName(record)), systemError()));
    }
    std::vector<size_t> renamed;
    for (size_t i = 0; i < sets.size(); ++i) {
        if (alive(i) && sets[i]->renameAll(&(*problems)[i]))
            renamed.push_back(i);
    }
    // The renames are on disk too before the record goes, and so are the names of the
    // folders this write created.
    errors = syncFolders(renamed, folderOf);
    std::vector<std::pair<size_t, size_t>> created; // set, its created folder
    for (size_t k = 0; k < renamed.size(); ++k) {
        StagedFiles &set = *sets[renamed[k]];
        if (errors[k] != 0) {
            errno = errors[k];
            (*problems)[renamed[k]] = QStringLiteral("Cannot save \"%1\": %2")
                                              .arg(Utils::echo(set.m_folder, 120), systemError());
        } else {
            unlinkat(set.m_dir, CommitRecord::recordName(encoded(set.m_stem)).constData(), 0);
        }
        for (size_t c = 0; c < set.m_created.size(); ++c)
            created.emplace_back(renamed[k], c);
    }
    std::vector<size_t> parents(created.size());
    std::iota(parents.begin(), parents.end(), 0);
    syncFolders(parents, [&](size_t k) { return sets[created[k].first]->m_created[created[k].second].first; });
    for (size_t i : renamed)
        sets[i]->finish();
}

void StagedFiles::discard()
{
    for (const Staged &staged : m_staged) {
        if (staged.fd >= 0)
            ::close(staged.fd);
        unlinkat(m_dir, staged.temporary.constData(), 0);
    }
    m_staged.clear();
    if (m_record >= 0) {
        ::close(m_record);
        unlinkat(m_dir, CommitRecord::temporaryName(encoded(m_stem), m_token, 0).constData(), 0);
    }
    m_record = -1;
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
